// libFuzzer target of the stream reader: object records (with their element
// data, recursively), property lists, the component-filer encoding and the
// primitive reads. Any input must either read or raise EKrStreamError; a record
// that reads must write back to data that reads to the same record.

#include "Krfiler.h"
#include "Symbolstream.h"

#include <cstdint>
#include <cstdlib>

static void CheckObject(const QByteArray &bytes, int depth)
{
    TKeloStream s(bytes);
    krstream::ObjectRecord rec;
    try {
        rec = krstream::ReadObject(s);
    } catch (const EKrStreamError &) {
        return;
    }
    if (depth < 6)
        for (const krstream::ElementRecord &e : rec.elements)
            CheckObject(e.data, depth + 1);
    // Values of unknown types are not written back.
    rec.properties.removeIf([](const krstream::Property &p) { return !p.value.isValid(); });
    TKeloStream first;
    krstream::WriteObject(first, rec);
    TKeloStream again(first.Data());
    krstream::ObjectRecord back;
    try {
        back = krstream::ReadObject(again);
    } catch (const EKrStreamError &) {
        abort(); // what was written must read
    }
    TKeloStream second;
    krstream::WriteObject(second, back);
    if (first.Data() != second.Data())
        abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    CheckObject(bytes, 0);
    try {
        TKeloStream s(bytes);
        krstream::ReadProperties(s);
    } catch (const EKrStreamError &) {
    }
    try {
        TKeloStream s(bytes);
        TKrFilerReader r(s);
        while (!s.AtEnd())
            r.SkipValue();
    } catch (const EKrStreamError &) {
    }
    try {
        // The work floor's layout: a list of names, an optional integer.
        TKeloStream s(bytes);
        TKrFilerReader r(s);
        r.ReadStringList();
        if (r.NextIsInteger())
            r.ReadInteger();
        if (r.NextIsString())
            r.ReadString();
    } catch (const EKrStreamError &) {
    }
    try {
        TKeloStream s(bytes);
        while (!s.AtEnd()) {
            switch (s.ReadByte() % 6) {
            case 0: s.ReadString(); break;
            case 1: s.ReadStringList(); break;
            case 2: s.ReadBytes(); break;
            case 3: s.LeaveBlock(s.EnterBlock()); break;
            case 4: s.ReadDouble(); break;
            default: s.ReadBool(); break;
            }
        }
    } catch (const EKrStreamError &) {
    }
    return 0;
}
