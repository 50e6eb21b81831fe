#pragma once
// The text of a configuration file, without widgets: plain text of 8-bit characters,
// lines ended by CR LF (CR LF, LF and CR alone are read), known by position:
//   1      [Reg values]
//   2..9   "Reg E1: " ... "Reg E8: " followed by the register text
//   10     empty
//   11     [Setup description]
//   12...  the setup description
// The eight-character prefix of a register line is skipped by count, not compared.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace configfile {

constexpr int RegisterPrefixLength = 8;
constexpr int HeaderLines = 11; // the description starts on the line after these

// The lines of a text; CR LF, LF and CR each end a line, and a last line without an
// end counts.
QStringList linesOfText(const QString &text);
// The lines of a file's bytes (one character a byte).
QStringList linesOf(const QByteArray &bytes);
// The setup description: the lines after the header.
QStringList descriptionOf(const QStringList &lines);
// The text of register reg (1 to 8) after its line's prefix, without blanks at either
// end; nothing when the file has no such line.
std::optional<QString> registerText(const QStringList &lines, int reg);
// A configuration file is the user's own text: read whole or not at all. A file
// beyond this size is no configuration file and is refused, never cut.
constexpr qint64 MaxFileBytes = 64 << 20;

// The lines of a configuration file, or nothing when it cannot be read whole. Only
// regular files are opened (a pipe or device would block or never end); the bytes
// read bound the read, not the size the file reports.
std::optional<QStringList> readFile(const QString &path);

// The registers a configuration file gives a device: E1, E2, E3, E5, E6, E7 and the
// first four digits of E8 (index 1 to 8; E4, the serial number, and the node address
// of E8 belong to the device and stay empty). Nothing when any of these lines is
// missing or not valid for its register (regcodec::fileRegisterText): a load is all
// or nothing.
std::optional<std::array<QString, 9>> loadTexts(const QStringList &lines);
// The registers a load writes, in order.
constexpr std::array<int, 7> LoadedRegisters = {1, 2, 3, 5, 6, 7, 8};

// The text a file stores for register reg: E8 keeps its first four characters and
// "XX" in place of the node address, which belongs to the device; the others as they are.
QString savedText(int reg, const QString &text);

// The file of the eight register texts as given (E8 as it is to be stored) and the
// description, every line ended by CR LF. Characters beyond one byte become "?".
QByteArray fileBytes(const QStringList &registerTexts, const QStringList &description);

} // namespace configfile
