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
// The file of the eight register texts as given (E8 as it is to be stored) and the
// description, every line ended by CR LF. Characters beyond one byte become "?".
QByteArray fileBytes(const QStringList &registerTexts, const QStringList &description);

} // namespace configfile
