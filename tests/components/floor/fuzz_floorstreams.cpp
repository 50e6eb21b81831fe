// libFuzzer target of the design streams of the floor libraries: the real
// component libraries (listed in KR_FUZZ_COMPONENTS, separated by ':') are
// loaded through the host loader, and every input is read by a new symbol of
// one of them (the input's first byte picks the library) with InitFromStream.
// Any input must either load or raise EKrStreamError; what loaded must be
// written back by SaveToStream, and that data must load again and be written
// back unchanged.

#include "KrDrawingPage.h"
#include "KrHostLoader.h"
#include "Symbolstream.h"

#include <QApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

struct Setup {
    QApplication *app = nullptr;
    TKrHostLoader loader;
    QList<TKrComponentLibrary *> libraries;
    TKrDrawingPage *page = nullptr;

    Setup()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_floorstreams";
        static char *argv[] = {name, nullptr};
        app = new QApplication(argc, argv);
        const QString list = qEnvironmentVariable("KR_FUZZ_COMPONENTS");
        for (const QString &path : list.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
            if (TKrComponentLibrary *lib = loader.Load(path))
                libraries.append(lib);
            else
                std::fprintf(stderr, "cannot load %s\n", qPrintable(path));
        }
        if (libraries.isEmpty()) {
            std::fprintf(stderr, "KR_FUZZ_COMPONENTS names no loadable component library\n");
            std::abort();
        }
        page = new TKrDrawingPage(&loader);
        page->resize(800, 600);
        page->Open();
    }
};

Setup &S()
{
    static Setup *setup = new Setup;
    return *setup;
}

QByteArray Save(TKrSymbol *s)
{
    TSymbolStream out;
    QStringList files;
    s->SaveToStream(out, files);
    return out.Data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Setup &setup = S();
    if (size < 1)
        return 0;
    TKrComponentLibrary *lib = setup.libraries.at(data[0] % setup.libraries.size());
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    TKrSymbol *s = lib->Create(setup.page);
    if (!s)
        std::abort();
    bool loaded = true;
    try {
        TSymbolStream in(bytes);
        s->InitFromStream(in);
    } catch (const EKrStreamError &) {
        loaded = false;
    }
    // Whatever the symbol kept can be written and read back.
    const QByteArray first = Save(s);
    delete s;
    TKrSymbol *again = lib->Create(setup.page);
    try {
        TSymbolStream in(first);
        again->InitFromStream(in);
    } catch (const EKrStreamError &) {
        std::fprintf(stderr, "data written by SaveToStream does not load\n");
        std::abort();
    }
    if (Save(again) != first) {
        std::fprintf(stderr, "data written back differs from what loaded\n");
        std::abort();
    }
    delete again;
    Q_UNUSED(loaded);
    return 0;
}
