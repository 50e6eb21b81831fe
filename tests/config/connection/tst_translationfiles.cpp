// The translation files that ship with the program: a German user (the suite runs this
// program in a German locale) sees the main window in German from the file next to
// the program, and an installed program whose folder cannot be written keeps the
// texts it meets in the user's data folder.
#include "OperatorDriver.h"

#include "DialogAnswerer.h"
#include "KRLanguage.h"
#include "LayoutCheck.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>

class TranslationFilesTest : public QObject {
    Q_OBJECT
private slots:
    void aGermanLocalePicksTheGermanFile()
    {
        QCOMPARE(QLocale::system().language(), QLocale::German);
        QCOMPARE(TKRLanguage::systemLanguageExtension(), QStringLiteral(".deu"));
        const QString shipped = QCoreApplication::applicationDirPath() + QStringLiteral("/KR715 config.deu");
        QVERIFY2(QFile::exists(shipped), qPrintable(shipped));
    }

    // Captions of every tab, list entries, hints and a run-time message, in German.
    void theMainWindowShowsGermanCaptions_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("caption");
        QTest::newRow("General tab") << "tsGen" << "Allgemein";
        QTest::newRow("Data tab") << "tsData" << "Daten";
        QTest::newRow("Output 2 tab") << "tsOut2" << "Ausgang2";
        QTest::newRow("Units / Input tab") << "tsInp" << "Einh. / Eingang";
        QTest::newRow("serial number") << "laGenNAddr" << "Seriennummer:";
        QTest::newRow("node address button") << "btnApplyNAddr" << "Adresse setzen";
        QTest::newRow("identification") << "grbGenModId" << "Identifikation";
        QTest::newRow("volume 1") << "laDataVol1" << "Volumen 1";
        QTest::newRow("temperature") << "laDataTemp" << "Temperatur";
        QTest::newRow("batch start") << "btnOut2BatchStart" << "Starten";
        QTest::newRow("undo") << "bbConUndo" << "Zurück";
    }
    void theMainWindowShowsGermanCaptions()
    {
        QFETCH(QString, control);
        QFETCH(QString, caption);
        OperatorDriver op;
        TfrmKR715Config &w = op.open({});
        QCOMPARE(w.lanTrans->defaultFileName(), QCoreApplication::applicationDirPath() + QStringLiteral("/KR715 config.deu"));
        QWidget *widget = op.get<QWidget>(control);
        QVERIFY2(widget, qPrintable(control));
        QString shown;
        if (auto *label = qobject_cast<QLabel *>(widget))
            shown = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            shown = button->text();
        else if (auto *group = qobject_cast<QGroupBox *>(widget))
            shown = group->title();
        else if (QTabWidget *pages = w.ui.pc715; pages->indexOf(widget) >= 0)
            shown = pages->tabText(pages->indexOf(widget));
        QCOMPARE(shown, caption);
    }

    // The German texts are as readable as the English ones.
    void germanCaptionsAreReadableOnEveryTab()
    {
        OperatorDriver op;
        TfrmKR715Config &w = op.open({});
        QTabWidget *pages = w.ui.pc715;
        QStringList problems;
        for (int tab = 0; tab < pages->count(); ++tab) {
            pages->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            layoutcheck::showWholePage(pages->widget(tab));
            QCoreApplication::processEvents();
            problems += layoutcheck::cutCaptions(pages->widget(tab));
        }
        for (const char *name : {"la715PhysId", "la715Flow", "la715Vol1", "la715Vol2", "laConError", "bu715HELP"})
            if (auto *label = op.get<QLabel>(QLatin1String(name)); label && label->sizeHint().width() > label->width() + 1)
                problems << QLatin1String(name);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        QVERIFY(pages->tabBar()->sizeHint().width() <= pages->width());
    }

    void germanListEntriesAndMessages()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        TfrmKR715Config &w = op.open({});
        QCOMPARE(op.list("cmbOut2FuncOut")->itemText(0), QStringLiteral("Keine Funktion"));
        QCOMPARE(op.list("cmbInpMode")->itemText(1), QStringLiteral("Test"));
        QVERIFY(w.lanTrans->Translate(QStringLiteral("Failed to load setup from file")) != QStringLiteral("Failed to load setup from file"));
        QCOMPARE(w.lanTrans->Translate(QStringLiteral("Selected PhysId is not a flowmeter")),
                 QStringLiteral("Die gewählte PhysId ist kein Durchflussmesser"));
        KR_VERIFY_DIALOGS(answers);
    }

    // Installed, the program folder is not writable: the texts met go to the user's
    // data folder, and the next start finds them there along with the shipped ones.
    void additionsGoToTheUsersDataFolderWhenTheProgramFolderIsReadOnly()
    {
        // A folder no one can write into, not even an administrator.
        const QString readOnlyProgram = QStringLiteral("/proc/self");
        const QString user = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                             + QStringLiteral("/KR/KR715 config.deu");
        QFile::remove(user);
        {
            TKRLanguage language(readOnlyProgram, QStringLiteral("KR715 config"), QStringLiteral(".deu"));
            QCOMPARE(language.userFileName(), user);
            QCOMPARE(language.Translate(QStringLiteral("A new text")), QStringLiteral("A new text"));
        }
        QFile saved(user);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("A new text=\r\n"));

        // The next start reads the shipped file, then the texts the user's copy adds.
        QTemporaryDir program;
        QFile shipped(program.filePath(QStringLiteral("KR715 config.deu")));
        QVERIFY(shipped.open(QIODevice::WriteOnly));
        shipped.write("Flow=Durchfluss\r\n");
        shipped.close();
        {
            TKRLanguage language(program.path(), QStringLiteral("KR715 config"), QStringLiteral(".deu"));
            QCOMPARE(language.table(), (QStringList{"Flow=Durchfluss", "A new text="}));
        }
        // A text the shipped file has (in any letter case) is not taken twice.
        QVERIFY(shipped.open(QIODevice::WriteOnly | QIODevice::Truncate));
        shipped.write("Flow=Durchfluss\r\na new TEXT=Ein neuer Text\r\n");
        shipped.close();
        TKRLanguage language(program.path(), QStringLiteral("KR715 config"), QStringLiteral(".deu"));
        QCOMPARE(language.table(), (QStringList{"Flow=Durchfluss", "a new TEXT=Ein neuer Text"}));
        QCOMPARE(language.Translate(QStringLiteral("A new text")), QStringLiteral("Ein neuer Text"));
        QFile::remove(user);
    }
};

QTEST_MAIN(TranslationFilesTest)
#include "tst_translationfiles.moc"
