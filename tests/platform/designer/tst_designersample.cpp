// The sample page samples/plant.krpage in KrDesigner with the seven real
// component libraries of bin/components: it loads whole (no placeholder, no
// message) and is saved back byte for byte; in run mode the floors start as
// the floor component defines (only the one saved open is shown), the values
// of the simulated network appear, an opener and a close button show and hide
// their floor, and the launcher starts KR715Config on its transmitter from the
// designer's own folder. Back in design mode the page is as it was.

#include "DesignerDriver.h"
#include "DialogAnswerer.h"
#include "KeloProServer.h"
#include "KrDesignerWindow.h"
#include "KrKelo.h"
#include "KrText.h"
#include "ui_KrDesignerWindow.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestDesignerSample : public DesignerDriver {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_page; // a copy of the sample: run-time data is written beside it

    KrDesignerWindow *Open()
    {
        m_w = std::make_unique<KrDesignerWindow>();
        m_w->resize(1280, 900);
        m_w->show();
        DialogAnswerer ok;
        if (!m_w->LoadPageFile(m_page))
            qWarning("the sample did not load");
        m_messages = ok.texts;
        return m_w.get();
    }
    QStringList m_messages;

    TKrSymbol *Symbol(const QString &name) const { return KrSymbolOf(m_w->Page()->FindSymbol(name)); }
    QString Caption(const QString &name) const
    {
        TKrSymbol *s = Symbol(name);
        auto *t = s ? qobject_cast<TKrText *>(s->FindElement(QStringLiteral("Text format"))) : nullptr;
        return t ? t->Caption() : QStringLiteral("<none>");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        kelopro::registerServer();
        m_page = m_dir.filePath(QStringLiteral("plant.krpage"));
        QVERIFY(QFile::copy(QStringLiteral(KR_SAMPLE_PAGE), m_page));
        QFile::setPermissions(m_page, QFile::ReadOwner | QFile::WriteOwner);
    }

    void cleanup()
    {
        CloseWindow();
    }

    void loadsWholeWithTheSevenComponents()
    {
        KrDesignerWindow *w = Open();
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(QLatin1Char('\n'))));
        QVERIFY(w->Page()->Problems().isEmpty());
        QCOMPARE(w->Page()->Placeholders().size(), 0);
        QCOMPARE(w->Page()->KeptRecordCount(), 0);
        QVERIFY(!w->IsModified());
        QSet<QString> classes;
        for (TKrSymbol *s : w->Page()->Symbols())
            classes.insert(QString::fromLatin1(s->metaObject()->className()));
        QCOMPARE(classes, (QSet<QString>{QStringLiteral("TKRWorkFloor"), QStringLiteral("TKROpen"), QStringLiteral("TKRClose"), QStringLiteral("TKRBistate"),
                                         QStringLiteral("TKRGlider"), QStringLiteral("TKRValueText"), QStringLiteral("TKRExecute")}));
        // Every floor is shown to design on; saved again, the file is the same.
        for (const char *f : {"FloorFT101", "FloorFT102", "FloorFT103"})
            QVERIFY2(Symbol(QLatin1String(f)) && Symbol(QLatin1String(f))->isVisible(), f);
        QCOMPARE(w->Page()->SavePage(), Read(m_page));
        // What the page links to on the default network.
        auto *link = qobject_cast<TKrKeloTimer *>(Symbol(QStringLiteral("TrackFT101"))->FindElement(QStringLiteral("Variable link")));
        QVERIFY(link);
        QCOMPARE(link->GetPhysId(), QStringLiteral("FT101.SetPoint"));
        TKrSymbol *launch = Symbol(QStringLiteral("ConfigFT102"));
        QVERIFY(launch);
        QCOMPARE(launch->property("ExecProc").toString(), QStringLiteral("KR715Config"));
        QCOMPARE(launch->FindElement(QStringLiteral("Execute params"))->property("Value").toString(), QStringLiteral("FT102"));
    }

    void runsOnTheSimulatedNetwork()
    {
        KrDesignerWindow *w = Open();
        const QByteArray design = w->Page()->SavePage();
        w->Form()->actRunMode->trigger();
        QVERIFY(w->IsRunMode());
        // Floors start as the component defines: hidden until opened, but the
        // one the page holds open.
        QVERIFY(Symbol(QStringLiteral("FloorFT101"))->isVisible());
        QVERIFY(!Symbol(QStringLiteral("FloorFT102"))->isVisible());
        QVERIFY(!Symbol(QStringLiteral("FloorFT103"))->isVisible());
        // FT101 flows around 12.5 (the value text shows it with two decimals).
        const QRegularExpression flow(QStringLiteral("^Flow (\\d+[.,]\\d\\d)$"));
        // The page was saved without a value of the network; the network's replaces it.
        auto shownFlow = [&] {
            const QRegularExpressionMatch m = flow.match(Caption(QStringLiteral("OverviewFlowFT101")));
            return m.hasMatch() ? QLocale::system().toDouble(m.captured(1)) : -1.0;
        };
        QTRY_VERIFY2_WITH_TIMEOUT(shownFlow() > 5 && shownFlow() < 25, qPrintable(Caption(QStringLiteral("OverviewFlowFT101"))), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(Caption(QStringLiteral("SetPointFT101")), QStringLiteral("Setpoint: %1").arg(QLocale::system().toString(500.0, 'f', 2)), 5000);
        // FT102 reports a fault: its value text shows the error look.
        QTRY_VERIFY_WITH_TIMEOUT(Symbol(QStringLiteral("OverviewFlowFT102"))->property("ErrorShown").toBool(), 5000);

        // The opener shows FT102's floor; its close button hides it again.
        QTest::mouseClick(Symbol(QStringLiteral("OpenFT102")), Qt::LeftButton);
        QTRY_VERIFY(Symbol(QStringLiteral("FloorFT102"))->isVisible());
        TKrSymbol *close = Symbol(QStringLiteral("CloseFT102"));
        QVERIFY(close->isVisible());
        QTest::mouseClick(close, Qt::LeftButton);
        QTRY_VERIFY(!Symbol(QStringLiteral("FloorFT102"))->isVisible());

        // The launcher finds KR715Config in the designer's own folder and
        // starts it on FT101; pressed again, it closes it.
        TKrSymbol *launch = Symbol(QStringLiteral("ConfigFT101"));
        QTest::mouseClick(launch, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(launch->property("ProcessId").toLongLong() > 0 || !launch->property("LastProblem").toString().isEmpty(), 5000);
        QVERIFY2(launch->property("LastProblem").toString().isEmpty(), qPrintable(launch->property("LastProblem").toString()));
        QVERIFY(launch->property("Pressed").toBool());
        QTest::mouseClick(launch, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!launch->property("Pressed").toBool(), 8000);

        // Back in design mode the page is as it was designed.
        w->Form()->actRunMode->trigger();
        QVERIFY(!w->IsRunMode());
        QCOMPARE(w->Page()->SavePage(), design);
        QVERIFY(!w->IsModified());
        for (const char *f : {"FloorFT101", "FloorFT102", "FloorFT103"})
            QVERIFY2(Symbol(QLatin1String(f))->isVisible(), f);
    }
};

QTEST_MAIN(TestDesignerSample)
#include "tst_designersample.moc"
