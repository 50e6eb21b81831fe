// A page of 300 track bars and 300 value texts, every one linked to a variable
// of the simulated network and polling it. Reports the CPU the page takes per
// second of wall time and the longest single event handler of the event loop
// (goal: none over 16 ms).
//
//   value_page_bench [seconds=10] [update time in ms=500]
//
// Runs on any Qt platform (QT_QPA_PLATFORM=offscreen for a machine without a
// display); the page is shown, so every repaint is really drawn.

#include "ChildElements.h"
#include "KeloProServer.h"
#include "KrDrawingPage.h"
#include "KrHostLoader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double ProcessCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

qint64 ThreadCpuNs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// Times every event the loop hands out (outermost dispatch only).
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        if (!m_measuring || m_depth > 0) {
            ++m_depth;
            const bool r = QApplication::notify(receiver, event);
            --m_depth;
            return r;
        }
        // The receiver may be gone afterwards (a single-shot timer).
        const char *cls = receiver->metaObject()->className();
        const int type = event->type();
        ++m_depth;
        QElapsedTimer t;
        t.start();
        const qint64 cpu0 = ThreadCpuNs();
        const bool r = QApplication::notify(receiver, event);
        const qint64 ns = t.nsecsElapsed();
        const qint64 cpuNs = ThreadCpuNs() - cpu0;
        --m_depth;
        if (cpuNs > m_longestCpu)
            m_longestCpu = cpuNs;
        if (cpuNs > 16'000'000) {
            ++m_over16Cpu;
            m_overCpuTypes[type] += 1;
        }
        ++m_events;
        m_total += ns;
        if (ns > 16'000'000) {
            ++m_over16;
            m_overTypes[type] += 1;
        }
        if (ns > m_longest) {
            m_longest = ns;
            m_longestType = type;
            m_longestClass = cls;
        }
        return r;
    }
    void SetMeasuring(bool on) { m_measuring = on; }
    qint64 m_longest = 0;
    qint64 m_longestCpu = 0;
    qint64 m_over16Cpu = 0;
    int m_longestType = 0;
    QByteArray m_longestClass;
    qint64 m_events = 0;
    qint64 m_over16 = 0;
    qint64 m_total = 0;
    QMap<int, int> m_overTypes;
    QMap<int, int> m_overCpuTypes;

private:
    bool m_measuring = false;
    int m_depth = 0;
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("KELO_PRO_TRACE", QByteArray());
    TimedApplication app(argc, argv);
    const double seconds = argc > 1 ? qMax(1.0, QString::fromLocal8Bit(argv[1]).toDouble()) : 10.0;
    const int updateMs = argc > 2 ? qMax(50, QString::fromLocal8Bit(argv[2]).toInt()) : 500;

    kelopro::registerServer();
    TKrHostLoader loader;
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/components/");
    TKrComponentLibrary *glider = loader.Load(dir + TKrHostLoader::LibraryFileName(QStringLiteral(KR_GLIDER_GUID)));
    TKrComponentLibrary *text = loader.Load(dir + TKrHostLoader::LibraryFileName(QStringLiteral(KR_TEXTVIEW_GUID)));
    if (!glider || !text) {
        for (const TKrLoadProblem &p : loader.Problems())
            std::fprintf(stderr, "%s\n", qPrintable(p.ToString()));
        return 1;
    }

    static const char *const gliderVars[] = {"FT101.Flow", "FT101.Temperature", "FT101.SetPoint", "FT102.Flow", "PT201.Pressure"};
    static const char *const textVars[] = {"FT101.Flow", "FT101.Volume1", "FT101.TCFlow", "FT101.Temperature", "FT101.InstantFlow", "FT103.Flow"};

    QElapsedTimer setup;
    setup.start();
    TKrDrawingPage page(&loader);
    page.resize(1900, 1000);
    page.show();
    page.Open();
    // 30 columns x 10 rows of each kind.
    for (int i = 0; i < 300; ++i) {
        const int col = i % 30, row = i / 30;
        TKrSymbol *g = page.CreateSymbol(glider, QStringLiteral("Glider%1").arg(i + 1), TRect(col * 62, row * 100, col * 62 + 40, row * 100 + 70));
        auto *scale = qobject_cast<TKRScale *>(g->FindElement(QStringLiteral("Scale")));
        scale->SetMin(0);
        scale->SetMax(i % 5 == 1 ? 30 : 600);
        auto *gl = qobject_cast<TKrKelo *>(g->FindElement(QStringLiteral("Variable link")));
        gl->SetUpdateTime(updateMs);
        gl->SetPhysId(QString::fromLatin1(gliderVars[i % 5]));

        TKrSymbol *t = page.CreateSymbol(text, QStringLiteral("Text%1").arg(i + 1), TRect(col * 62, row * 100 + 74, col * 62 + 60, row * 100 + 96));
        auto *fmt = qobject_cast<TKrFormat *>(t->FindElement(QStringLiteral("Display format")));
        if (i % 2) {
            fmt->SetEnable(true);
            fmt->SetKind(TKrFormat::fkFixed);
            fmt->SetDecimals(2);
        }
        auto *tl = qobject_cast<TKrKelo *>(t->FindElement(QStringLiteral("Variable link")));
        tl->SetUpdateTime(updateMs);
        tl->SetPhysId(QString::fromLatin1(textVars[i % 6]));
    }
    const double setupMs = setup.nsecsElapsed() / 1e6;
    int polling = 0;
    for (TKrSymbol *s : page.Symbols())
        if (auto *l = qobject_cast<TKrKelo *>(s->FindElement(QStringLiteral("Variable link"))); l && l->Enabled())
            ++polling;

    // Let the first reads settle, then measure.
    QTimer::singleShot(1000, &app, [&]() { app.SetMeasuring(true); });
    double cpu0 = 0;
    QElapsedTimer wall;
    QTimer::singleShot(1000, &app, [&]() {
        cpu0 = ProcessCpuSeconds();
        wall.start();
    });
    QTimer::singleShot(int(1000 + seconds * 1000), &app, [&]() { app.quit(); });
    app.exec();
    const double cpu = ProcessCpuSeconds() - cpu0;
    const double elapsed = wall.nsecsElapsed() / 1e9;

    std::printf("value page: %d symbols (300 track bars, 300 value texts), %d polling every %d ms; set-up %.0f ms\n",
                int(page.Symbols().size()), polling, updateMs, setupMs);
    std::printf("measured %.1f s: CPU %.3f s per second of the page (%.1f %% of one core)\n", elapsed, cpu / elapsed, 100.0 * cpu / elapsed);
    std::printf("events handled: %lld (%.0f per second), mean %.3f ms\n", app.m_events, app.m_events / elapsed,
                app.m_events ? app.m_total / 1e6 / app.m_events : 0.0);
    std::printf("longest handler in wall time: %.2f ms (event type %d on %s); handlers over 16 ms: %lld\n", app.m_longest / 1e6, app.m_longestType,
                app.m_longestClass.constData(), app.m_over16);
    // The machine may be shared: the processor time of a handler tells its own
    // cost, the wall time what the operator would feel on this machine now.
    std::printf("longest handler in processor time: %.2f ms; over 16 ms: %lld\n", app.m_longestCpu / 1e6, app.m_over16Cpu);
    for (auto it = app.m_overTypes.cbegin(); it != app.m_overTypes.cend(); ++it)
        std::printf("  over 16 ms in wall time: %d x event type %d\n", it.value(), it.key());
    for (auto it = app.m_overCpuTypes.cbegin(); it != app.m_overCpuTypes.cend(); ++it)
        std::printf("  over 16 ms in processor time: %d x event type %d\n", it.value(), it.key());
    return app.m_over16Cpu == 0 ? 0 : 2;
}
