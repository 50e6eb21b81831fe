// libFuzzer target of the two-state symbol's design data: any input given to
// TKRBistate::InitFromStream must either load or raise EKrStreamError, never
// crash; whatever loaded must save to data that loads back to the same bytes
// (nothing lost on re-save), and the symbol must paint what it loaded.

#include "Symbolstream.h"
#include "TBistateUnit.h"

#include <QApplication>
#include <QImage>
#include <cstdint>
#include <cstdlib>

static QByteArray Design(TKRBistate &s)
{
    TSymbolStream out;
    QStringList files;
    s.SaveToStream(out, files);
    return out.Data();
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Lives for the whole run: the widgets need it.
    new QApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QCoreApplication::sendPostedEvents();
    TKRBistate s(nullptr);
    TSymbolStream in(bytes);
    try {
        s.InitFromStream(in);
    } catch (const EKrStreamError &) {
    }
    const QByteArray once = Design(s);
    {
        TKRBistate t(nullptr);
        TSymbolStream again(once);
        try {
            t.InitFromStream(again);
        } catch (const EKrStreamError &) {
            abort(); // what was written must read
        }
        if (Design(t) != once)
            abort();
    }
    QImage canvas(64, 64, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    s.render(&canvas);
    // Let what the load posted (deferred deletes, the link's release) run.
    QCoreApplication::sendPostedEvents();
    return 0;
}
