// Configuration files of the Config tab: saving the register set with its setup
// description, loading it back into the registers (and from there into the device),
// the configuration memo, and files that are short, broken or no files at all.
#include "OperatorDriver.h"

#include "DialogAnswerer.h"
#include "DeviceLink.h"
#include "KRLanguage.h"
#include "MemoSaveConfigU.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <optional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// The device of most cases: every register with a value of its own.
QByteArray network()
{
    return OperatorDriver::kr715({{".MeterSize", 2.5},
                                  {".Ti", 30},
                                  {".PiCode", 0x00000100},
                                  {".Meternumber", 0x12345600},
                                  {".Scale", 100},
                                  {".Code1", 0x00200000},
                                  {".Code2", 0x40100000},
                                  {".Code3", 0x32241500}}); // node address 15 hex = 21
}

// What the configuration memo showed when it came.
struct MemoSeen {
    QString title;
    QString okCaption;
    QString cancelCaption;
    QString text;
    bool seen = false;
};

// The next dialog is the configuration memo: records it, replaces the description
// when newText is given, and closes it with its first button (accept) or "Cancel".
void expectMemo(DialogAnswerer &answers, bool accept, MemoSeen *seen = nullptr,
                const std::optional<QString> &newText = std::nullopt)
{
    answers.answerDialog(
        QStringLiteral("configuration memo"),
        [](QWidget *w) { return qobject_cast<TfrmSaveConfigMemo *>(w) != nullptr; },
        [accept, seen, newText](QWidget *w) {
            auto *memo = static_cast<TfrmSaveConfigMemo *>(w);
            if (seen)
                *seen = {memo->windowTitle(), memo->ui.btnSaveMemo->text(), memo->ui.btnCancelSaveMemo->text(),
                         memo->ui.reSaveConfig->toPlainText(), true};
            if (newText)
                memo->ui.reSaveConfig->setPlainText(*newText);
            QPushButton *button = accept ? memo->ui.btnSaveMemo : memo->ui.btnCancelSaveMemo;
            QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        });
}

// An open dialog that returns a file that does not exist (as a dialog of another
// platform may): the name is typed and the dialog closed with OK, past its own check.
void chooseMissingFile(DialogAnswerer &answers, const QString &path)
{
    answers.answerDialog(
        QStringLiteral("open dialog returning a missing file"),
        [](QWidget *w) { return qobject_cast<QFileDialog *>(w) != nullptr; },
        [path](QWidget *w) {
            auto *dialog = static_cast<QFileDialog *>(w);
            dialog->setDirectory(QFileInfo(path).absolutePath());
            if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                name->setText(QFileInfo(path).fileName());
            static_cast<QDialog *>(dialog)->done(QDialog::Accepted);
        });
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Lines joined with CR LF, each one ended.
QByteArray crlf(const QList<QByteArray> &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// A configuration file: the register lines as given, then the header and description.
QByteArray configFile(const QList<QByteArray> &registerLines, const QList<QByteArray> &description = {})
{
    QList<QByteArray> lines{"[Reg values]"};
    lines += registerLines;
    lines += {"", "[Setup description]"};
    lines += description;
    return crlf(lines);
}

// The register lines of a file with new values for every register but E4.
const QList<QByteArray> NewRegisters = {"Reg E1: 3.5",    "Reg E2: 12",     "Reg E3: 000120", "Reg E4: ABCDEF",
                                        "Reg E5: 50",     "Reg E6: 003000", "Reg E7: 001000", "Reg E8: 1224XX"};

// A configuration file of NewRegisters with some lines replaced (index 0 is E1's line).
QByteArray newRegistersWith(std::initializer_list<std::pair<int, QByteArray>> replaced)
{
    QList<QByteArray> lines = NewRegisters;
    for (const auto &[index, line] : replaced)
        lines[index] = line;
    return configFile(lines);
}

QString text(OperatorDriver &op, int reg) { return op.edit(QStringLiteral("edConE%1").arg(reg))->text(); }
ExchangeState state(OperatorDriver &op, int reg) { return op.session().state(reg); }

// The picture buttons of the Config tab, clicked as the operator does. The focus first
// goes to a control without handlers, so that no register edit holds it when the tab
// comes up (leaving it would be an entry of its own).
void save(OperatorDriver &op)
{
    op.leave();
    op.click("bbConSaveE1_8");
}
void load(OperatorDriver &op)
{
    op.leave();
    op.click("bbConLoadE1_8");
}

// The texts of the message boxes answered, in order.
QStringList messages(const DialogAnswerer &answers)
{
    QStringList texts;
    for (const DialogAnswerer::Record &r : answers.records())
        if (r.className == QLatin1String("QMessageBox"))
            texts.append(r.text);
    return texts;
}

// Opens FT1 online and runs until the register edits show the device and the poll is
// at rest (nothing pending, nothing written).
void openOnline(OperatorDriver &op)
{
    op.open();
    op.leave();
    op.cycle(3);
    op.clearTrace();
    op.cycle();
    QCOMPARE(op.registerWrites(), QStringList());
}

// The set-up of most cases: a folder for the files, the answers to the dialogs and the
// main window on network(), online (opened, read and settled) or offline.
struct FileCase {
    enum Start { Online, Offline };
    explicit FileCase(Start start)
    {
        if (start == Online)
            openOnline(op);
        else
            op.open({});
    }
    QTemporaryDir dir;
    DialogAnswerer answers;
    OperatorDriver op{network()};
};

} // namespace

class ConfigFileTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // --- the memo dialog -------------------------------------------------------

    void memoDialogLooksAndAnswersAsDesigned()
    {
        TfrmSaveConfigMemo memo;
        QCOMPARE(memo.windowTitle(), QStringLiteral("Configuration memo"));
        QCOMPARE(memo.minimumSize(), QSize(349, 213));
        QVERIFY(memo.maximumSize().width() > 349 && memo.maximumSize().height() > 213); // resizable
        QCOMPARE(memo.ui.btnSaveMemo->text(), QStringLiteral("Continue"));
        QCOMPARE(memo.ui.btnCancelSaveMemo->text(), QStringLiteral("Cancel"));

        QPlainTextEdit *editor = memo.ui.reSaveConfig;
        QVERIFY(editor->font().fixedPitch());
        QCOMPARE(editor->font().pixelSize(), 16);
        QVERIFY(QFontInfo(editor->font()).fixedPitch());
        QCOMPARE(editor->lineWrapMode(), QPlainTextEdit::NoWrap);
        QVERIFY(!editor->tabChangesFocus());

        // Centred on the screen.
        if (QScreen *screen = QGuiApplication::primaryScreen()) {
            const QPoint centre = memo.geometry().center();
            QVERIFY(qAbs(centre.x() - screen->availableGeometry().center().x()) <= 2);
            QVERIFY(qAbs(centre.y() - screen->availableGeometry().center().y()) <= 2);
        }

        // The editor fills the dialog above the buttons, also when it grows.
        memo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&memo));
        memo.resize(600, 400);
        QTRY_VERIFY(editor->width() >= 590);
        QVERIFY(editor->geometry().bottom() < memo.ui.btnSaveMemo->geometry().top());

        // A tab key is typed into the description, not a move to the next control.
        QApplication::setActiveWindow(&memo);
        editor->setFocus();
        QTest::keyClicks(editor, QStringLiteral("a"));
        QTest::keyClick(editor, Qt::Key_Tab);
        QTest::keyClicks(editor, QStringLiteral("b"));
        QCOMPARE(editor->toPlainText(), QStringLiteral("a\tb"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(editor));

        QTest::mouseClick(memo.ui.btnSaveMemo, Qt::LeftButton);
        QCOMPARE(memo.result(), int(QDialog::Accepted));
        QVERIFY(!memo.isVisible());
        memo.show();
        QTest::mouseClick(memo.ui.btnCancelSaveMemo, Qt::LeftButton);
        QCOMPARE(memo.result(), int(QDialog::Rejected));
    }

    void memoLinesSurviveTheRoundTrip_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("none") << QStringList();
        QTest::newRow("one empty line") << QStringList{QString()};
        QTest::newRow("text") << QStringList{"Pump station 4", "\tfilled 2024"};
        QTest::newRow("empty lines around") << QStringList{"", "middle", "", ""};
    }
    void memoLinesSurviveTheRoundTrip()
    {
        QFETCH(QStringList, lines);
        TfrmSaveConfigMemo memo;
        memo.addLines(lines);
        QCOMPARE(memo.lines(), lines);
        memo.addLines({QStringLiteral("added")});
        QCOMPARE(memo.lines(), lines + QStringList{QStringLiteral("added")});
        QCOMPARE(TfrmSaveConfigMemo::linesOfText(QStringLiteral("a\r\nb\rc\n\nd")),
                 QStringList({"a", "b", "c", "", "d"}));
        QCOMPARE(TfrmSaveConfigMemo::linesOfText(QStringLiteral("a\r\n")), QStringList{"a"});
    }

    // --- saving ----------------------------------------------------------------

    void savingWritesTheRegisterSetWithoutTheNodeAddress()
    {
        FileCase c(FileCase::Online);
        auto &[dir, answers, op] = c;
        QCOMPARE(text(op, 8), QStringLiteral("322415"));
        QCOMPARE(op.get<QLineEdit>("edGenNodeNo")->text(), QStringLiteral("21"));

        const QString path = dir.filePath(QStringLiteral("station4.txt"));
        MemoSeen memo;
        answers.chooseFile(path);
        expectMemo(answers, true, &memo, QStringLiteral("Pump station 4\n\tfilled by \u00c5se\n"));
        save(op);
        KR_VERIFY_DIALOGS(answers);

        QCOMPARE(memo.title, QStringLiteral("Configuration memo"));
        QCOMPARE(memo.okCaption, QStringLiteral("Save"));
        QCOMPARE(memo.cancelCaption, QStringLiteral("Cancel"));
        QCOMPARE(memo.text, QString()); // a new file has no description yet

        // The save dialog: in the data directory, for configuration files.
        const DialogAnswerer::Record &dialog = answers.records().first();
        QVERIFY(dialog.saveDialog);
        QVERIFY(!op.session().dataDirectory.isEmpty());
        QCOMPARE(op.session().dataDirectory, op.window().dataDirectory());
        QCOMPARE(QDir(dialog.directory), QDir(op.session().dataDirectory));
        QCOMPARE(dialog.text, QStringLiteral("Flow transmitter config (*.txt)\n(*)"));
        QCOMPARE(dialog.defaultSuffix, QStringLiteral("txt"));

        const QByteArray expected = configFile({"Reg E1: 2.500000", "Reg E2: 30.00000", "Reg E3: 000001",
                                                "Reg E4: 123456", "Reg E5: 100.0000", "Reg E6: 002000",
                                                "Reg E7: 401000", "Reg E8: 3224XX"},
                                               {"Pump station 4", "\tfilled by \xc5se"});
        QCOMPARE(readFile(path), expected);
        // Saving reads nothing from the device and writes nothing to it.
        QCOMPARE(op.registerWrites(), QStringList());
    }

    void aNameWithoutExtensionGetsTxt()
    {
        FileCase c(FileCase::Offline); // works offline too: the edits hold the design-time texts
        auto &[dir, answers, op] = c;
        answers.chooseFile(dir.filePath(QStringLiteral("plain")));
        expectMemo(answers, true);
        save(op);
        KR_VERIFY_DIALOGS(answers);
        const QByteArray saved = readFile(dir.filePath(QStringLiteral("plain.txt")));
        QCOMPARE(saved, configFile({"Reg E1: 00000000", "Reg E2: 00000000", "Reg E3: 000000", "Reg E4: 000000",
                                    "Reg E5: 00000000", "Reg E6: 000000", "Reg E7: 000000", "Reg E8: 0000XX"}));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("plain"))));
    }

    void savingOverAFileOffersItsDescriptionForEditing()
    {
        FileCase c(FileCase::Online);
        auto &[dir, answers, op] = c;
        const QString path = dir.filePath(QStringLiteral("old.txt"));
        writeFile(path, configFile(NewRegisters, {"first note", "", "third note"}));

        MemoSeen memo;
        answers.chooseFile(path);
        expectMemo(answers, true, &memo, QStringLiteral("replaced note"));
        save(op);
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(memo.text, QStringLiteral("first note\n\nthird note"));
        const QByteArray saved = readFile(path);
        QVERIFY(saved.endsWith("[Setup description]\r\nreplaced note\r\n"));
        QVERIFY(saved.startsWith("[Reg values]\r\nReg E1: 2.500000\r\n")); // the registers of now
        QCOMPARE(saved.count("\r\n"), 12);

        // A file of eleven lines has no description: the memo starts empty, and an
        // emptied memo gives a file of eleven lines.
        writeFile(path, configFile(NewRegisters));
        answers.reset();
        answers.chooseFile(path);
        expectMemo(answers, true, &memo);
        save(op);
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(memo.text, QString());
        QCOMPARE(readFile(path).count("\r\n"), 11);
    }

    // Saving over a file with a long description offers all of it and writes all of
    // it back; a file too large to be read whole is not written over.
    void savingOverALargeFileKeepsItsWholeDescription()
    {
        FileCase c(FileCase::Offline);
        auto &[dir, answers, op] = c;
        const QString path = dir.filePath(QStringLiteral("long.txt"));
        QList<QByteArray> description;
        for (int i = 0; i < 30000; ++i)
            description.append(QByteArray("note ") + QByteArray::number(i) + QByteArray(40, '.'));
        writeFile(path, configFile(NewRegisters, description));
        QVERIFY(QFileInfo(path).size() > 1024 * 1024);
        MemoSeen memo;
        answers.chooseFile(path);
        expectMemo(answers, true, &memo);
        save(op);
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(TfrmSaveConfigMemo::linesOfText(memo.text).size(), 30000);
        const QByteArray saved = readFile(path);
        QCOMPARE(saved.count("\r\n"), 11 + 30000);
        QVERIFY(saved.endsWith("\r\nnote 29999" + QByteArray(40, '.') + "\r\n"));

        const QString huge = dir.filePath(QStringLiteral("huge.txt"));
        writeFile(huge, configFile(NewRegisters, {"kept"}));
        {
            QFile file(huge);
            QVERIFY(file.resize(65 * 1024 * 1024)); // sparse: quick to make
        }
        answers.reset();
        answers.chooseFile(huge);
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("cannot be read whole; nothing is saved"));
        save(op);
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(QFileInfo(huge).size(), 65 * 1024 * 1024);
        QFile file(huge);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(15), QByteArray("[Reg values]\r\nR"));
    }

    void cancellingWritesNothing()
    {
        FileCase c(FileCase::Online);
        auto &[dir, answers, op] = c;
        const QString fresh = dir.filePath(QStringLiteral("fresh.txt"));
        const QString old = dir.filePath(QStringLiteral("old.txt"));
        const QByteArray oldBytes = configFile(NewRegisters, {"keep me"});
        writeFile(old, oldBytes);

        // The memo cancelled: no file, and an existing one stays as it was.
        answers.chooseFile(fresh);
        expectMemo(answers, false);
        answers.chooseFile(old);
        expectMemo(answers, false, nullptr, QStringLiteral("edited, then cancelled"));
        save(op);
        save(op);
        // The file dialog cancelled: no memo at all.
        answers.cancelFileDialog();
        save(op);
        KR_VERIFY_DIALOGS(answers);
        QVERIFY(!QFile::exists(fresh));
        QCOMPARE(readFile(old), oldBytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.txt"});
    }

    void aFileThatCannotBeWrittenIsReported()
    {
        FileCase c(FileCase::Offline);
        auto &[dir, answers, op] = c;
        // A folder by the chosen name: the file cannot take its place.
        const QString path = dir.filePath(QStringLiteral("taken.txt"));
        QVERIFY(QDir().mkpath(path + QStringLiteral("/inside")));
        answers.answerDialog(
            QStringLiteral("save dialog choosing a folder's name"),
            [](QWidget *w) { return qobject_cast<QFileDialog *>(w) != nullptr; },
            [path](QWidget *w) {
                auto *dialog = static_cast<QFileDialog *>(w);
                dialog->setDirectory(QFileInfo(path).absolutePath());
                if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                    name->setText(QFileInfo(path).fileName());
                static_cast<QDialog *>(dialog)->done(QDialog::Accepted);
            });
        expectMemo(answers, true);
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("Failed to save setup to file"));
        save(op);
        KR_VERIFY_DIALOGS(answers);
        QVERIFY(QFileInfo(path).isDir());
        QVERIFY(QFile::exists(path + QStringLiteral("/inside")));
    }

    // --- loading ---------------------------------------------------------------

    void loadingOnlineWritesEachRegisterAtItsTurn()
    {
        FileCase c(FileCase::Online);
        auto &[dir, answers, op] = c;
        const QString path = dir.filePath(QStringLiteral("setup.txt"));
        writeFile(path, configFile(NewRegisters, {"Pump station 4", "\tsecond line"}));

        MemoSeen memo;
        answers.chooseFile(path);
        expectMemo(answers, true, &memo);
        load(op);
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(memo.title, QStringLiteral("Configuration memo"));
        QCOMPARE(memo.okCaption, QStringLiteral("Open"));
        QCOMPARE(memo.cancelCaption, QStringLiteral("Cancel"));
        QCOMPARE(memo.text, QStringLiteral("Pump station 4\n\tsecond line"));
        const DialogAnswerer::Record &dialog = answers.records().first();
        QVERIFY(!dialog.saveDialog);
        QCOMPARE(QDir(dialog.directory), QDir(op.session().dataDirectory));
        QCOMPARE(dialog.text, QStringLiteral("Flow transmitter config (*.txt)\n(*)"));

        // The edits hold the file's texts (E8 with the device's node address 21 = 15
        // hex); E4 is not loaded. Everything but E4 waits to be written.
        const QStringList expected = {"3.5", "12", "000120", "123456", "50", "003000", "001000", "122415"};
        for (int reg = 1; reg <= 8; ++reg) {
            QCOMPARE(text(op, reg), expected.at(reg - 1));
            QCOMPARE(state(op, reg), reg == 4 ? ExchangeState::Reading : ExchangeState::WritePending);
        }
        // Online the settings wait for the device.
        QCOMPARE(op.edit("edInpMeterSize")->text(), QStringLiteral("2.500000"));

        // One cycle: each register is written once, at its own turn.
        op.clearTrace();
        op.cycle();
        QStringList writes = op.registerWrites();
        writes.sort();
        QStringList wanted = {"FT1.MeterSize 3.5", "FT1.Ti 12", "FT1.PiCode 73728", "FT1.Scale 50",
                              "FT1.Code1 3145728", "FT1.Code2 1048576", "FT1.Code3 304354560"};
        wanted.sort();
        QCOMPARE(writes, wanted);
        QCOMPARE(op.deviceReal(".MeterSize"), 3.5);
        QCOMPARE(op.deviceCode(".PiCode"), 0x00012000);
        QCOMPARE(op.deviceCode(".Code3"), 0x12241500);
        QCOMPARE(op.deviceCode(".Meternumber"), 0x12345600);

        // Read back, the settings show what the device now holds.
        op.cycle(2);
        QCOMPARE(text(op, 1), QStringLiteral("3.500000"));
        QCOMPARE(op.edit("edInpMeterSize")->text(), QStringLiteral("3.500000"));
        QCOMPARE(text(op, 8), QStringLiteral("122415"));
        QCOMPARE(op.list("cmbInpFlowUnitConst")->currentIndex(), 1);
        QCOMPARE(op.list("cmbInpTimeConst")->currentIndex(), 0);
        QCOMPARE(op.get<QLineEdit>("edGenNodeNo")->text(), QStringLiteral("21"));
        KR_VERIFY_DIALOGS(answers);
    }

    void savedSetLoadsBackWithTheNodeAddressOfTheDevice()
    {
        FileCase c(FileCase::Online);
        auto &[dir, answers, op] = c;
        const QString path = dir.filePath(QStringLiteral("roundtrip.txt"));
        answers.chooseFile(path);
        expectMemo(answers, true);
        save(op);
        QVERIFY(readFile(path).contains("\r\nReg E8: 3224XX\r\n"));

        // The device changes meanwhile; loading puts the saved set back.
        op.setDevice(".Code3", kelopro::SimValue::fromInt(0x10001500));
        op.setDevice(".Code2", kelopro::SimValue::fromInt(0x00000000));
        op.cycle(2);
        QCOMPARE(text(op, 8), QStringLiteral("100015"));
        answers.chooseFile(path);
        expectMemo(answers, true);
        load(op);
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(text(op, 8), QStringLiteral("322415"));
        QCOMPARE(text(op, 7), QStringLiteral("401000"));
        op.cycle();
        QCOMPARE(op.deviceCode(".Code3"), 0x32241500);
        QCOMPARE(op.deviceCode(".Code2"), 0x40100000);
    }

    void loadingOfflineFollowsAtOnceAndWaitsForTheDevice()
    {
        FileCase c(FileCase::Offline);
        auto &[dir, answers, op] = c;
        // The node address field shows E8's last two digits, here 15 hex = 21.
        op.typeAndEnter(op.edit("edConE8"), QStringLiteral("322415"));
        QCOMPARE(op.get<QLineEdit>("edGenNodeNo")->text(), QStringLiteral("21"));
        const QString path = dir.filePath(QStringLiteral("setup.txt"));
        writeFile(path, configFile(NewRegisters));
        answers.chooseFile(path);
        expectMemo(answers, true);
        load(op);
        KR_VERIFY_DIALOGS(answers);

        // Offline the setting controls follow the loaded registers at once.
        QCOMPARE(op.edit("edInpMeterSize")->text(), QStringLiteral("3.5"));
        QCOMPARE(op.edit("edOut3PiTi")->text(), QStringLiteral("12"));
        QCOMPARE(op.edit("edOut3ScaleOut3")->text(), QStringLiteral("50"));
        QCOMPARE(op.list("cmbOut2Vol1Res")->currentIndex(), 3);
        QCOMPARE(op.list("cmbOut2FuncOut")->currentIndex(), 1);
        QCOMPARE(text(op, 8), QStringLiteral("122415"));
        QCOMPARE(op.list("cmbInpFlowUnitConst")->currentIndex(), 1);
        for (int reg : {1, 2, 3, 5, 6, 7, 8})
            QCOMPARE(state(op, reg), ExchangeState::WritePending);

        // Selecting the device: the loaded registers are written, none is read first.
        op.window().deviceLink->SelectDevice(QStringLiteral("FT1"));
        op.clearTrace();
        op.cycle();
        QCOMPARE(op.registerWrites().size(), 7);
        QCOMPARE(op.deviceReal(".MeterSize"), 3.5);
        QCOMPARE(op.deviceReal(".Ti"), 12.0);
        QCOMPARE(op.deviceCode(".PiCode"), 0x00012000);
        QCOMPARE(op.deviceReal(".Scale"), 50.0);
        QCOMPARE(op.deviceCode(".Code1"), 0x00300000);
        QCOMPARE(op.deviceCode(".Code2"), 0x00100000);
        QCOMPARE(op.deviceCode(".Code3"), 0x12241500);
        QCOMPARE(op.deviceCode(".Meternumber"), 0x12345600);
    }

    void theNodeAddressIsZeroWhenTheFieldHoldsNone_data()
    {
        QTest::addColumn<QString>("field");
        QTest::newRow("empty, as before any device") << "";
        QTest::newRow("not a number") << "abc";
        QTest::newRow("too large for two digits") << "300";
        QTest::newRow("negative") << "-1";
    }
    void theNodeAddressIsZeroWhenTheFieldHoldsNone()
    {
        QFETCH(QString, field);
        FileCase c(FileCase::Offline);
        auto &[dir, answers, op] = c;
        // A display field the operator cannot type into: given by the program.
        op.get<QLineEdit>("edGenNodeNo")->setText(field);
        const QString path = dir.filePath(QStringLiteral("setup.txt"));
        writeFile(path, configFile(NewRegisters));
        answers.chooseFile(path);
        expectMemo(answers, true);
        load(op);
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(text(op, 8), QStringLiteral("122400"));
    }

    void loadingRecordsOneHistoryEntry()
    {
        FileCase c(FileCase::Offline);
        auto &[dir, answers, op] = c;
        op.typeAndEnter(op.edit("edConE1"), QStringLiteral("7"));
        const QString path = dir.filePath(QStringLiteral("setup.txt"));
        writeFile(path, configFile(NewRegisters));
        answers.chooseFile(path);
        expectMemo(answers, true);
        load(op);
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(text(op, 1), QStringLiteral("3.5"));
        // "Redo" steps back to the set before the load in one step.
        op.click("bbConRedo");
        QCOMPARE(text(op, 1), QStringLiteral("7"));
        QCOMPARE(text(op, 3), QStringLiteral("000000"));
        QCOMPARE(text(op, 8), QStringLiteral("000000"));
        op.click("bbConUndo");
        QCOMPARE(text(op, 1), QStringLiteral("3.5"));
        QCOMPARE(text(op, 8), QStringLiteral("122400"));
    }

    void cancellingTheMemoLoadsNothing()
    {
        FileCase c(FileCase::Online);
        auto &[dir, answers, op] = c;
        const QString path = dir.filePath(QStringLiteral("setup.txt"));
        writeFile(path, configFile(NewRegisters));
        answers.chooseFile(path);
        expectMemo(answers, false);
        load(op);
        answers.cancelFileDialog();
        load(op);
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(text(op, 1), QStringLiteral("2.500000"));
        QCOMPARE(text(op, 8), QStringLiteral("322415"));
        for (int reg = 1; reg <= 8; ++reg)
            QCOMPARE(state(op, reg), ExchangeState::Reading);
        op.clearTrace();
        op.cycle();
        QCOMPARE(op.registerWrites(), QStringList());
    }

    void anElevenLineFileHasAnEmptyMemoAndLoads()
    {
        FileCase c(FileCase::Online);
        auto &[dir, answers, op] = c;
        const QString path = dir.filePath(QStringLiteral("eleven.txt"));
        // Written by another editor: LF line ends, no end after the last line.
        QByteArray bytes = configFile(NewRegisters);
        bytes.replace("\r\n", "\n");
        bytes.chop(1);
        writeFile(path, bytes);
        MemoSeen memo;
        answers.chooseFile(path);
        expectMemo(answers, true, &memo);
        load(op);
        KR_VERIFY_DIALOGS(answers);
        QVERIFY(memo.seen);
        QCOMPARE(memo.text, QString());
        QCOMPARE(text(op, 3), QStringLiteral("000120"));
        QCOMPARE(text(op, 7), QStringLiteral("001000"));
        QCOMPARE(state(op, 3), ExchangeState::WritePending);
    }

    // A load is all or nothing: a file that lacks a register line, or holds a text
    // that is not valid for its register, changes no register, no state, no history
    // entry and no device value.
    void aBrokenFileChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QList<QByteArray> lines;
        QTest::newRow("two lines") << crlf({"[Reg values]", "Reg E1: 3.5"});
        QTest::newRow("five lines") << crlf({"[Reg values]", "Reg E1: 3.5", "Reg E2: 12", "Reg E3: 000120", "Reg E4: ABCDEF"});
        QTest::newRow("junk in E1 and E6, a good E5")
            << newRegistersWith({{0, "Reg E1: abc"}, {5, "Reg E6: 00Z000"}, {4, "Reg E5: 1e9"}});
        QTest::newRow("E5 beyond single precision") << newRegistersWith({{4, "Reg E5: 1e39"}});
        QTest::newRow("E2 with a foreign decimal separator") << newRegistersWith({{1, "Reg E2: 1,5"}});
        QTest::newRow("E3 short") << newRegistersWith({{2, "Reg E3: 0012"}});
        QTest::newRow("E6 without its prefix") << newRegistersWith({{5, "003000"}});
        QTest::newRow("E6 with seven digits") << newRegistersWith({{5, "Reg E6: 0030000"}});
        QTest::newRow("E8 with two characters") << newRegistersWith({{7, "Reg E8: 12"}});
        QTest::newRow("E8 not hexadecimal") << newRegistersWith({{7, "Reg E8: 12G4XX"}});
        lines.clear();
        const QByteArray junk("\x00\xff\x01\x80\x7f\xfe", 6);
        for (int reg = 1; reg <= 8; ++reg)
            lines.append(QByteArray("Reg E") + QByteArray::number(reg) + ": " + junk);
        QTest::newRow("binary junk") << configFile(lines, {junk});
    }
    void aBrokenFileChangesNothing()
    {
        QFETCH(QByteArray, bytes);
        FileCase c(FileCase::Online);
        auto &[dir, answers, op] = c;
        QStringList before;
        for (int reg = 1; reg <= 8; ++reg)
            before.append(text(op, reg));
        const RegisterHistoryState history = op.session().history;
        const QString meterSize = op.edit("edInpMeterSize")->text();
        const QString function3 = op.list("cmbOut3FuncOut3")->currentText();

        const QString path = dir.filePath(QStringLiteral("broken.txt"));
        writeFile(path, bytes);
        answers.chooseFile(path);
        expectMemo(answers, true);
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("Failed to load setup from file"));
        load(op);
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(messages(answers), QStringList{"Failed to load setup from file"});
        QCOMPARE(answers.records().last().icon, QMessageBox::Warning);

        QStringList after;
        for (int reg = 1; reg <= 8; ++reg) {
            after.append(text(op, reg));
            QCOMPARE(state(op, reg), ExchangeState::Reading);
        }
        QCOMPARE(after, before);
        QCOMPARE(op.session().history.historyPosition, history.historyPosition);
        QVERIFY(op.session().history.entries == history.entries);
        QCOMPARE(op.edit("edInpMeterSize")->text(), meterSize);
        QCOMPARE(op.list("cmbOut3FuncOut3")->currentText(), function3);
        op.clearTrace();
        op.cycle(2);
        QCOMPARE(op.registerWrites(), QStringList());
        QCOMPARE(op.deviceReal(".Scale"), 100.0);
        QCOMPARE(op.deviceCode(".Code1"), 0x00200000);
    }

    // Lower-case digits and blanks around a value are taken; the register shows the
    // six digits in upper case.
    void aValidFileInLowerCaseLoads()
    {
        FileCase c(FileCase::Online);
        auto &[dir, answers, op] = c;
        QList<QByteArray> lines = NewRegisters;
        lines[2] = "Reg E3: 00012a ";
        lines[7] = "Reg E8: 1224xx";
        const QString path = dir.filePath(QStringLiteral("lower.txt"));
        writeFile(path, configFile(lines));
        answers.chooseFile(path);
        expectMemo(answers, true);
        load(op);
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(text(op, 3), QStringLiteral("00012A"));
        QCOMPARE(text(op, 8), QStringLiteral("122415"));
        QCOMPARE(state(op, 3), ExchangeState::WritePending);
    }

    void aFileThatCannotBeReadIsReportedBeforeTheMemo()
    {
        FileCase c(FileCase::Online);
        auto &[dir, answers, op] = c;
        chooseMissingFile(answers, dir.filePath(QStringLiteral("gone.txt")));
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("Failed to load setup from file"));
        load(op);
#ifdef Q_OS_UNIX
        // A pipe would block a plain read until someone writes into it.
        const QString pipe = dir.filePath(QStringLiteral("pipe.txt"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        answers.chooseFile(pipe);
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("Failed to load setup from file"));
        load(op);
#endif
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(text(op, 1), QStringLiteral("2.500000"));
        for (int reg = 1; reg <= 8; ++reg)
            QCOMPARE(state(op, reg), ExchangeState::Reading);
    }

    // A description is the user's text: a large file is read whole.
    void aLargeFileIsReadWhole()
    {
        FileCase c(FileCase::Offline);
        auto &[dir, answers, op] = c;
        const QString path = dir.filePath(QStringLiteral("huge.txt"));
        QList<QByteArray> description;
        const QByteArray line(99, 'x');
        for (int i = 0; i < 40000; ++i) // about 4 MB
            description.append(line);
        writeFile(path, configFile(NewRegisters, description));
        MemoSeen memo;
        answers.chooseFile(path);
        expectMemo(answers, true, &memo);
        load(op);
        KR_VERIFY_DIALOGS(answers);
        const QStringList shown = TfrmSaveConfigMemo::linesOfText(memo.text);
        QCOMPARE(shown.size(), 40000);
        QCOMPARE(shown.last(), QString::fromLatin1(line));
        QCOMPARE(text(op, 3), QStringLiteral("000120"));
        QCOMPARE(text(op, 8), QStringLiteral("122400"));
    }

    void theTextsFollowTheUsersLanguage()
    {
        QTemporaryDir dir;
        DialogAnswerer answers;
        {
            OperatorDriver op(network());
            op.open({});
            const QString table = dir.filePath(QStringLiteral("texts.deu"));
            writeFile(table, "Configuration memo=Konfigurationsnotiz\r\nSave=Speichern\r\nOpen=\xd6" "ffnen\r\n"
                             "Cancel=Abbrechen\r\nFailed to load setup from file=Laden fehlgeschlagen\r\n");
            op.window().lanTrans->setFileName(table);
            MemoSeen saved;
            MemoSeen opened;
            const QString path = dir.filePath(QStringLiteral("setup.txt"));
            answers.chooseFile(path);
            expectMemo(answers, true, &saved);
            save(op);
            writeFile(path, crlf({"[Reg values]"}));
            answers.chooseFile(path);
            expectMemo(answers, true, &opened);
            answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("Laden fehlgeschlagen"));
            load(op);
            KR_VERIFY_DIALOGS(answers);
            QCOMPARE(saved.title, QStringLiteral("Konfigurationsnotiz"));
            QCOMPARE(saved.okCaption, QStringLiteral("Speichern"));
            QCOMPARE(saved.cancelCaption, QStringLiteral("Abbrechen"));
            QCOMPARE(opened.okCaption, QStringLiteral("\u00d6ffnen"));
        }
    }
};

QTEST_MAIN(ConfigFileTest)
#include "tst_configfile.moc"
