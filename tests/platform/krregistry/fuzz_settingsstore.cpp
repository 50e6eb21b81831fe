// libFuzzer target of the settings file reader: any bytes parse (whatever cannot be
// understood is skipped), and what is written from the parsed contents reads back to
// the very same contents.
#include "SettingsStore.h"

#include <cstdint>
#include <cstdlib>

using krregistry::SettingsStore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const SettingsStore first = SettingsStore::parse(bytes);
    const QByteArray written = first.serialize();
    const SettingsStore second = SettingsStore::parse(written);
    if (second.serialize() != written)
        abort(); // a written file must read back to what was written
    if (first.isEmpty() != second.isEmpty())
        abort();
    // A value written through the store reads back byte for byte, whatever it holds
    // (but zero bytes: the library's strings end at the first).
    SettingsStore changed = second;
    QByteArray text = bytes;
    text.replace('\0', QByteArray());
    const qsizetype third = text.size() / 3;
    const QByteArray section = text.left(third), key = text.mid(third, third / 2 + 1),
                     name = text.mid(third + third / 2 + 1, 8), value = text.mid(third / 2);
    if (!section.isEmpty() && !name.isEmpty()) {
        changed.setValue(section, key, name, value);
        const SettingsStore back = SettingsStore::parse(changed.serialize());
        const QByteArray *stored = back.value(section, key, name);
        if (!stored || *stored != value)
            abort();
    }
    return 0;
}
