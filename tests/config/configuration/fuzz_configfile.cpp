// libFuzzer target of the configuration file reader: any bytes split into lines, a
// description and register texts, each register text goes through the conversions the
// program applies before writing it to a device, and a file written from what was read
// reads back to the same registers and description.
#include "ConfigFileText.h"
#include "NumberFormat.h"
#include "RegisterCodec.h"

#include <QLocale>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = configfile::linesOf(bytes);
    const QStringList description = configfile::descriptionOf(lines);
    if (lines.size() > bytes.count('\n') + bytes.count('\r') + 1)
        abort();

    QStringList registers;
    for (int reg = 1; reg <= 8; ++reg) {
        const std::optional<QString> text = configfile::registerText(lines, reg);
        registers.append(text.value_or(QString()));
        if (!text)
            continue;
        if (regcodec::isRealRegister(reg)) {
            double value = 0;
            for (const QLocale &locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)})
                if (numfmt::parseReal(*text, value, locale))
                    numfmt::FormatSevenDigits(value, locale);
        } else {
            regcodec::codeWriteValue(*text);
            for (int k = 1; k <= 6; ++k)
                if (const std::optional<int> d = regcodec::digit(*text, k))
                    regcodec::withDigit(*text, k, (*d + 1) % 16);
        }
    }

    // A load takes every register it writes or none, each as the register's own check gives it.
    if (const std::optional<std::array<QString, 9>> loaded = configfile::loadTexts(lines)) {
        for (const int reg : configfile::LoadedRegisters) {
            const std::optional<QString> text = configfile::registerText(lines, reg);
            if (!text || regcodec::fileRegisterText(reg, *text) != (*loaded)[static_cast<size_t>(reg)])
                abort();
        }
    }

    // Written back: the same registers and the same description.
    const QStringList back = configfile::linesOf(configfile::fileBytes(registers, description));
    if (configfile::descriptionOf(back) != description)
        abort();
    for (int reg = 1; reg <= 8; ++reg)
        if (configfile::registerText(back, reg).value_or(QString()) != registers.at(reg - 1))
            abort();
    return 0;
}
