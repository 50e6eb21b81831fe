// Operator dialogs and the test helper that answers them.
#include "DialogAnswerer.h"
#include "DialogService.h"
#include "KRLanguage.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestUiDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void warningHasOkAndWarningIcon();
    void questionYesAndNo();
    void informationIsPlain();
    void severalDialogsInSequence();
    void buttonTextsAreTranslated();
    void saveDialogAddsDefaultSuffix();
    void openDialogChoosesExistingFile();
    void cancelledFileDialogGivesEmptyName();
    void filterConversion_data();
    void filterConversion();
    void suffixCleaning();

    void answererClosesUnexpectedDialog();
    void answererReportsDialogThatNeverCame();
    void answererRejectsWrongKindOfDialog();
    void answererWaitsForLaterDialog();
    void answererSurvivesDialogThatStaysOpen();
    void answererHandlesDialogShownTwice();
};

void TestUiDialogs::initTestCase()
{
    QGuiApplication::setApplicationDisplayName(QStringLiteral("KR715 config"));
}

void TestUiDialogs::warningHasOkAndWarningIcon()
{
    DialogService dialogs(nullptr);
    DialogAnswerer answers;
    answers.answerMessageBox(QMessageBox::Ok);
    dialogs.warning(nullptr, QStringLiteral("Failed to load setup from file"));
    KR_VERIFY_DIALOGS(answers);
    QCOMPARE(answers.records().size(), 1);
    const DialogAnswerer::Record &r = answers.records().first();
    QCOMPARE(r.text, QStringLiteral("Failed to load setup from file"));
    QCOMPARE(r.icon, QMessageBox::Warning);
    QCOMPARE(r.title, QStringLiteral("KR715 config"));
    QCOMPARE(r.answer, QStringLiteral("Ok"));
}

void TestUiDialogs::questionYesAndNo()
{
    DialogService dialogs(nullptr);
    DialogAnswerer answers;
    answers.answerMessageBox(QMessageBox::Yes).answerMessageBox(QMessageBox::No);
    QVERIFY(dialogs.question(nullptr, QStringLiteral("This will clear volume2, is this OK")));
    QVERIFY(!dialogs.question(nullptr, QStringLiteral("Shall the program recalculate data"),
                              QMessageBox::Information));
    KR_VERIFY_DIALOGS(answers);
    QCOMPARE(answers.records().at(0).icon, QMessageBox::Warning);
    QCOMPARE(answers.records().at(1).icon, QMessageBox::Information);

    // A question has no OK button to press.
    answers.reset();
    answers.answerMessageBox(QMessageBox::Ok);
    QVERIFY(!dialogs.question(nullptr, QStringLiteral("Play?")));
    QVERIFY(!answers.allAnswered());
    QVERIFY(answers.report().contains(QStringLiteral("no Ok button")));
}

void TestUiDialogs::informationIsPlain()
{
    DialogService dialogs(nullptr);
    DialogAnswerer answers;
    answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("done"));
    dialogs.information(nullptr, QStringLiteral("Calibration done"));
    KR_VERIFY_DIALOGS(answers);
    QCOMPARE(answers.records().first().icon, QMessageBox::NoIcon);
}

void TestUiDialogs::severalDialogsInSequence()
{
    DialogService dialogs(nullptr);
    QWidget parent;
    parent.show();
    DialogAnswerer answers;
    answers.answerMessageBox(QMessageBox::Ok)
        .answerMessageBox(QMessageBox::Ok)
        .answerMessageBox(QMessageBox::Yes);
    // One message per illegal digit, then a question.
    for (int digit : {2, 5})
        dialogs.warning(&parent, QStringLiteral("Digit %1 illegal entry, digit is automatically set to old value")
                                     .arg(digit));
    QVERIFY(dialogs.question(&parent, QStringLiteral("Save 1.02 as the new metersize, is this OK")));
    KR_VERIFY_DIALOGS(answers);
    QCOMPARE(answers.texts(),
             (QStringList{"Digit 2 illegal entry, digit is automatically set to old value",
                          "Digit 5 illegal entry, digit is automatically set to old value",
                          "Save 1.02 as the new metersize, is this OK"}));
    QCOMPARE(answers.lastText(), QStringLiteral("Save 1.02 as the new metersize, is this OK"));
}

void TestUiDialogs::buttonTextsAreTranslated()
{
    QTemporaryDir dir;
    {
        QFile f(dir.filePath("KR715 config.dan"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Yes=Ja\r\nNo=Nej\r\n");
    }
    TKRLanguage language(dir.path(), QStringLiteral("KR715 config"), QStringLiteral(".dan"));
    DialogService dialogs(&language);
    QStringList buttonTexts;
    DialogAnswerer answers;
    answers.answerDialog(
        QStringLiteral("question with Danish buttons"),
        [](QWidget *w) { return qobject_cast<QMessageBox *>(w) != nullptr; },
        [&buttonTexts](QWidget *w) {
            auto *box = static_cast<QMessageBox *>(w);
            buttonTexts << box->button(QMessageBox::Yes)->text() << box->button(QMessageBox::No)->text();
            box->button(QMessageBox::Yes)->click();
        });
    QVERIFY(dialogs.question(nullptr, QStringLiteral("Gem?")));
    KR_VERIFY_DIALOGS(answers);
    QCOMPARE(buttonTexts, (QStringList{"Ja", "Nej"}));

    // OK has no translation yet: it stays and is recorded for the translator.
    answers.answerMessageBox(QMessageBox::Ok);
    dialogs.warning(nullptr, QStringLiteral("Advarsel"));
    KR_VERIFY_DIALOGS(answers);
    QVERIFY(language.table().contains(QStringLiteral("OK=")));
}

void TestUiDialogs::saveDialogAddsDefaultSuffix()
{
    QTemporaryDir dir;
    DialogService dialogs(nullptr);
    DialogAnswerer answers;
    answers.chooseFile(dir.filePath("setup"));
    const QString chosen = dialogs.getSaveFileName(nullptr, QStringLiteral("Save"), dir.path(),
                                                   QStringLiteral("Flow transmitter config (*.txt)|*.txt|(*.*)|*.*"),
                                                   QStringLiteral("*.txt"));
    KR_VERIFY_DIALOGS(answers);
    QCOMPARE(chosen, dir.filePath("setup.txt"));
    const DialogAnswerer::Record &r = answers.records().first();
    QVERIFY(r.saveDialog);
    QCOMPARE(r.directory, QDir(dir.path()).absolutePath());
    QCOMPARE(r.text, QStringLiteral("Flow transmitter config (*.txt)\n(*)"));
    QCOMPARE(r.defaultSuffix, QStringLiteral("txt"));
    QCOMPARE(r.title, QStringLiteral("Save"));

    // An existing file is chosen without any question.
    QFile existing(dir.filePath("old.txt"));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();
    answers.chooseFile(dir.filePath("old.txt"));
    QCOMPARE(dialogs.getSaveFileName(nullptr, QStringLiteral("Save"), dir.path(), QString(), QString()),
             dir.filePath("old.txt"));
    KR_VERIFY_DIALOGS(answers);
}

void TestUiDialogs::openDialogChoosesExistingFile()
{
    QTemporaryDir dir;
    QFile file(dir.filePath("setup.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    DialogService dialogs(nullptr);
    DialogAnswerer answers;
    answers.chooseFile(dir.filePath("setup.txt"));
    QCOMPARE(dialogs.getOpenFileName(nullptr, QStringLiteral("Open"), dir.path(),
                                     QStringLiteral("Flow transmitter config (*.txt)|*.txt"), QStringLiteral("*.txt")),
             dir.filePath("setup.txt"));
    KR_VERIFY_DIALOGS(answers);
    QVERIFY(!answers.records().first().saveDialog);
}

void TestUiDialogs::cancelledFileDialogGivesEmptyName()
{
    QTemporaryDir dir;
    DialogService dialogs(nullptr);
    DialogAnswerer answers;
    answers.cancelFileDialog().cancelFileDialog();
    QCOMPARE(dialogs.getOpenFileName(nullptr, QStringLiteral("Open"), dir.path(), QString()), QString());
    QCOMPARE(dialogs.getSaveFileName(nullptr, QStringLiteral("Save"), dir.path(), QString()), QString());
    KR_VERIFY_DIALOGS(answers);
}

void TestUiDialogs::filterConversion_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("configuration files")
        << "Flow transmitter config (*.txt)|*.txt|(*.*)|*.*"
        << QStringList{"Flow transmitter config (*.txt)", "(*)"};
    QTest::newRow("description without patterns") << "Text files|*.txt"
                                                   << QStringList{"Text files (*.txt)"};
    QTest::newRow("several patterns") << "Pictures (*.bmp;*.png)|*.bmp;*.png"
                                      << QStringList{"Pictures (*.bmp *.png)"};
    QTest::newRow("missing pattern") << "All" << QStringList{"All (*)"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("empty pairs skipped") << "||Text|*.txt" << QStringList{"Text (*.txt)"};
}

void TestUiDialogs::filterConversion()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(DialogService::convertFilter(filter), expected);
}

void TestUiDialogs::suffixCleaning()
{
    QCOMPARE(DialogService::cleanSuffix(QStringLiteral("*.txt")), QStringLiteral("txt"));
    QCOMPARE(DialogService::cleanSuffix(QStringLiteral(".txt")), QStringLiteral("txt"));
    QCOMPARE(DialogService::cleanSuffix(QStringLiteral("txt")), QStringLiteral("txt"));
    QCOMPARE(DialogService::cleanSuffix(QStringLiteral("*.*")), QString());
    QCOMPARE(DialogService::cleanSuffix(QString()), QString());
}

void TestUiDialogs::answererClosesUnexpectedDialog()
{
    DialogService dialogs(nullptr);
    DialogAnswerer answers;
    // Nothing expected: the dialog is closed (a question then counts as No).
    QVERIFY(!dialogs.question(nullptr, QStringLiteral("Unexpected?")));
    QVERIFY(!answers.allAnswered());
    QCOMPARE(answers.failures().size(), 1);
    QVERIFY(answers.report().contains(QStringLiteral("Unexpected?")));
    QVERIFY(!answers.records().first().expected);
    QCOMPARE(answers.texts(), QStringList()); // only expected dialogs count
}

void TestUiDialogs::answererReportsDialogThatNeverCame()
{
    DialogAnswerer answers;
    answers.answerMessageBox(QMessageBox::Yes, QStringLiteral("Missing digit"));
    QVERIFY(!answers.waitUntilAnswered(50));
    QVERIFY(!answers.allAnswered());
    QCOMPARE(answers.pending(), 1);
    QVERIFY(answers.report().contains(QStringLiteral("never appeared")));
    QVERIFY(answers.report().contains(QStringLiteral("Missing digit")));
}

void TestUiDialogs::answererRejectsWrongKindOfDialog()
{
    DialogService dialogs(nullptr);
    DialogAnswerer answers;
    answers.chooseFile(QStringLiteral("/tmp/x.txt"));
    dialogs.warning(nullptr, QStringLiteral("not a file dialog"));
    QCOMPARE(answers.pending(), 1); // still waiting for its file dialog
    QCOMPARE(answers.failures().size(), 1);
    QVERIFY(answers.failures().first().contains(QStringLiteral("while expecting file dialog")));

    // A message box whose text does not fit is no match either.
    answers.reset();
    answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("saved"));
    dialogs.warning(nullptr, QStringLiteral("failed"));
    QCOMPARE(answers.pending(), 1);
    QVERIFY(!answers.allAnswered());
}

void TestUiDialogs::answererWaitsForLaterDialog()
{
    DialogService dialogs(nullptr);
    DialogAnswerer answers;
    answers.answerMessageBox(QMessageBox::No);
    bool result = true;
    QTimer::singleShot(30, [&] { result = dialogs.question(nullptr, QStringLiteral("Later")); });
    QVERIFY(answers.waitUntilAnswered(5000));
    QTRY_VERIFY(!result);
    KR_VERIFY_DIALOGS(answers);
}

void TestUiDialogs::answererSurvivesDialogThatStaysOpen()
{
    // Choosing a file that does not exist in an open dialog makes the dialog complain in
    // a box of its own and stay open: both are closed, both are failures, no hang.
    QTemporaryDir dir;
    DialogService dialogs(nullptr);
    DialogAnswerer answers;
    answers.chooseFile(dir.filePath("missing.txt"));
    const QString chosen = dialogs.getOpenFileName(nullptr, QStringLiteral("Open"), dir.path(), QString());
    QCOMPARE(chosen, QString());
    QVERIFY(!answers.allAnswered());
    QVERIFY(answers.failures().size() >= 1);
}

void TestUiDialogs::answererHandlesDialogShownTwice()
{
    // One dialog object run twice in a row, as a form's own dialog may be.
    QMessageBox box(QMessageBox::Warning, QStringLiteral("KR715 config"), QStringLiteral("again"),
                    QMessageBox::Ok | QMessageBox::Cancel);
    DialogAnswerer answers;
    answers.answerMessageBox(QMessageBox::Ok).answerMessageBox(QMessageBox::Cancel);
    QCOMPARE(box.exec(), int(QMessageBox::Ok));
    QCOMPARE(box.exec(), int(QMessageBox::Cancel));
    KR_VERIFY_DIALOGS(answers);
    QCOMPARE(answers.texts(), (QStringList{"again", "again"}));
}

QTEST_MAIN(TestUiDialogs)
#include "tst_ui_dialogs.moc"
