#include "ConfigFileText.h"

#include "RegisterCodec.h"

#include <QFile>
#include <QFileInfo>

namespace configfile {

QStringList linesOfText(const QString &text)
{
    QStringList result;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        result.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < size)
        result.append(text.mid(start));
    return result;
}

QStringList linesOf(const QByteArray &bytes)
{
    return linesOfText(QString::fromLatin1(bytes));
}

QStringList descriptionOf(const QStringList &lines)
{
    return lines.size() > HeaderLines ? lines.mid(HeaderLines) : QStringList();
}

std::optional<QString> registerText(const QStringList &lines, int reg)
{
    const int line = reg + 1;
    if (reg < 1 || reg > 8 || line > lines.size())
        return std::nullopt;
    return lines.at(line - 1).mid(RegisterPrefixLength).trimmed();
}

std::optional<QStringList> readFile(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > MaxFileBytes)
        return std::nullopt;
    return linesOf(bytes);
}

std::optional<std::array<QString, 9>> loadTexts(const QStringList &lines)
{
    std::array<QString, 9> texts;
    for (const int reg : LoadedRegisters) {
        const int line = reg + 1;
        const std::optional<QString> text = line <= lines.size()
            ? regcodec::fileRegisterText(reg, lines.at(line - 1).mid(RegisterPrefixLength))
            : std::nullopt;
        if (!text)
            return std::nullopt;
        texts[static_cast<size_t>(reg)] = *text;
    }
    return texts;
}

QString savedText(int reg, const QString &text)
{
    return reg == 8 ? text.left(4) + QStringLiteral("XX") : text;
}

QByteArray fileBytes(const QStringList &registerTexts, const QStringList &description)
{
    QStringList lines{QStringLiteral("[Reg values]")};
    for (int reg = 1; reg <= 8; ++reg)
        lines.append(QStringLiteral("Reg E%1: ").arg(reg) + registerTexts.value(reg - 1));
    lines.append(QString());
    lines.append(QStringLiteral("[Setup description]"));
    lines.append(description);
    QByteArray bytes;
    for (const QString &line : std::as_const(lines))
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

} // namespace configfile
