// libFuzzer target of the page loader's reading: any input either reads (some
// records, with problems noted) or is refused; it never crashes or reads out of
// bounds, every record's bytes lie in the input, and the records written back
// read again to the same records.

#include "KrPageFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<TKrLoadProblem> problems;
    quint16 version = 0;
    bool ok = false;
    const QList<TKrPageRecord> records = krpage::ReadRecords(input, &problems, &version, &ok);
    if (!ok && !records.isEmpty())
        abort();
    for (const TKrPageRecord &r : records)
        if (r.raw.isEmpty() || r.raw.size() > input.size() || !(r.scale > 0))
            abort();
    if (records.isEmpty())
        return 0;
    const QByteArray again = krpage::WriteRawRecords(records);
    QList<TKrLoadProblem> problems2;
    bool ok2 = false;
    const QList<TKrPageRecord> back = krpage::ReadRecords(again, &problems2, &version, &ok2);
    if (!ok2 || back.size() != records.size())
        abort();
    for (int i = 0; i < records.size(); ++i)
        if (back[i].name != records[i].name || back[i].guid != records[i].guid || back[i].design != records[i].design || back[i].raw != records[i].raw)
            abort();
    return 0;
}
