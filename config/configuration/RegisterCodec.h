#pragma once
// Text forms of the configuration registers E1 to E8.
//
// Real registers (E1 MeterSize, E2 Ti, E5 Scale) are decimal numbers in the user's
// locale. Code registers (E3 PiCode, E4 MeterNumber, E6 Code1, E7 Code2, E8 Code3)
// are six upper-case hexadecimal digits, numbered 1 to 6 from the left: the upper
// 24 bits of the device's 32-bit value; written back as the six digits followed by
// "00", so the lowest byte is always zero.

#include <QString>
#include <optional>

namespace regcodec {

inline bool isRealRegister(int reg) { return reg == 1 || reg == 2 || reg == 5; }
inline bool isCodeRegister(int reg) { return reg >= 3 && reg <= 8 && reg != 5; }

// The first six digits of the value's eight-digit upper-case hexadecimal form.
QString sixDigitHex(qint32 value);

// The first six characters of the upper-case hexadecimal form, with at least two digits
// (serial numbers: 0xABCDEF00 -> "ABCDEF", 0x1F -> "1F").
QString serialText(qint32 value);

// The 32-bit value written for a code register text: the text followed by "00" read as
// a hexadecimal number. Empty unless the text is exactly six hexadecimal digits (a
// shorter text would be shifted and read back by the device as another register).
std::optional<qint32> codeWriteValue(const QString &text);

// Digit k (1 to 6) of a register text read as hexadecimal: its value, or empty when
// the text is too short or the character is not a hexadecimal digit.
std::optional<int> digit(const QString &text, int k);

// The text with digit k replaced by the one-character upper-case hex form of value;
// a text shorter than six characters starts from "000000".
QString withDigit(const QString &text, int k, int value);

// The register text a configuration file line gives register reg (1 to 8, the text
// after the line's prefix, blanks around it ignored), or empty when the text is not
// valid for the register: a real register needs a number in the user's locale that
// fits single precision; a code register exactly six hexadecimal digits (given back
// in upper case); E8 only its first four characters, hexadecimal digits (the node
// address that follows belongs to the device), given back as those four.
std::optional<QString> fileRegisterText(int reg, const QString &text);

} // namespace regcodec
