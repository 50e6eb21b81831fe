// Every control the program looks up by its name exists in the assembled program, with
// the class the lookup asks for.
//
// The modules reach each other's controls through the session's control registry by
// object name; a misspelt name compiles and makes the call do nothing. The names are
// collected from the program's own sources, so a new lookup is checked without being
// listed here:
//   - every string literal that has the form of a control name ("edConE1", "cmbInpMode",
//     "pnDataOut3Ana", "tiCalibration", ...) must name a registered object;
//   - a lookup get<T>(...) or findChild<T>(...) whose argument holds such literals, or
//     that runs over a range-for of them (a braced list or a named array), asks for
//     class T: the object must be a T.
// The program's windows are assembled as the program does it: the main window, then
// the calibration dialog on the same session, then the tools around the main window
// with each of their windows opened.
#include "BusMonitorU.h"
#include "CompareU.h"
#include "KRTools.h"
#include "MainWindowFixture.h"
#include "ReportU.h"
#include "TrendU.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QRegularExpression>
#include <QTest>

namespace {

// Names in the form of a control: a known prefix, then an upper-case letter or digit.
const QRegularExpression ControlName(QStringLiteral(
    "^(?:ed|cmb|la|pn|img|bb|btn|bu|grp|pc|ts|pbev|pb|ti|Tfrm)[A-Z0-9][A-Za-z0-9_]*$"));
// Literals of that form that are no control name: parts of names tested with startsWith.
const QStringList NamePrefixes = {QStringLiteral("edConE")};

struct Source {
    QString path;
    QString code; // comments blanked out, string literals kept, positions as in the file
};

// The source text with every comment replaced by blanks (line ends kept).
QString withoutComments(const QString &text)
{
    QString out = text;
    enum { Code, Line, Block, String, Char } state = Code;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out.at(i);
        const QChar next = i + 1 < out.size() ? out.at(i + 1) : QChar();
        switch (state) {
        case Code:
            if (c == QLatin1Char('/') && next == QLatin1Char('/'))
                state = Line;
            else if (c == QLatin1Char('/') && next == QLatin1Char('*'))
                state = Block;
            else if (c == QLatin1Char('"'))
                state = String;
            else if (c == QLatin1Char('\''))
                state = Char;
            if (state == Line || state == Block)
                out[i] = QLatin1Char(' ');
            break;
        case Line:
            if (c == QLatin1Char('\n'))
                state = Code;
            else
                out[i] = QLatin1Char(' ');
            break;
        case Block:
            if (c == QLatin1Char('*') && next == QLatin1Char('/')) {
                out[i] = out[i + 1] = QLatin1Char(' ');
                ++i;
                state = Code;
            } else if (c != QLatin1Char('\n')) {
                out[i] = QLatin1Char(' ');
            }
            break;
        case String:
        case Char:
            if (c == QLatin1Char('\\'))
                ++i;
            else if (c == QLatin1Char(state == String ? '"' : '\''))
                state = Code;
            break;
        }
    }
    return out;
}

QList<Source> programSources()
{
    QList<Source> sources;
    QDirIterator it(QStringLiteral(KR_SOURCE_DIR "/config"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            sources.append({path, withoutComments(QString::fromUtf8(file.readAll()))});
    }
    return sources;
}

// A C++ string literal; its contents captured.
const QRegularExpression StringLiteral(QStringLiteral("\"((?:[^\"\\\\\\n]|\\\\.)*)\""));

QStringList literalsIn(const QString &code)
{
    QStringList result;
    for (const QRegularExpressionMatch &m : StringLiteral.globalMatch(code))
        result.append(m.captured(1));
    return result;
}

// The text between the parenthesis at open and the one that closes it.
QString argumentsAt(const QString &code, qsizetype open)
{
    int depth = 0;
    for (qsizetype i = open; i < code.size(); ++i) {
        if (code.at(i) == QLatin1Char('('))
            ++depth;
        else if (code.at(i) == QLatin1Char(')') && --depth == 0)
            return code.mid(open + 1, i - open - 1);
    }
    return QString();
}

// One place that asks for a control: where, its name and the class it asks for.
struct Lookup {
    QString where;
    QString name;
    QString className;
};

struct Collected {
    QMap<QString, QString> named;   // every control-like literal -> where it was seen first
    QList<Lookup> lookups;          // names whose class is known
    int lookupCalls = 0;
};

QString lineOf(const Source &source, qsizetype pos)
{
    return QStringLiteral("%1:%2").arg(QFileInfo(source.path).fileName()).arg(source.code.left(pos).count(QLatin1Char('\n')) + 1);
}

// The literals of the range-for (over a braced list or a named array) whose loop
// variable the lookup at pos uses, if the lookup stands in such a loop body.
QStringList loopLiterals(const Source &source, qsizetype pos, const QString &arguments)
{
    static const QRegularExpression rangeFor(
        QStringLiteral("for\\s*\\(\\s*(?:const\\s+)?(?:char\\s*\\*|auto\\s*\\*?|QString\\s*&?|QLatin1String)\\s*(\\w+)\\s*:\\s*(\\{[^}]*\\}|\\w+)\\s*\\)"));
    const qsizetype from = std::max<qsizetype>(0, pos - 600);
    QRegularExpressionMatch last;
    for (const QRegularExpressionMatch &m : rangeFor.globalMatch(source.code.mid(from, pos - from)))
        last = m;
    if (!last.hasMatch())
        return {};
    const QRegularExpression usesVariable(QStringLiteral("\\b%1\\b").arg(last.captured(1)));
    if (!usesVariable.match(arguments).hasMatch())
        return {};
    const QString range = last.captured(2);
    if (range.startsWith(QLatin1Char('{')))
        return literalsIn(range);
    const QRegularExpression array(QStringLiteral("\\b%1\\s*\\[\\s*\\d*\\s*\\]\\s*=\\s*\\{([^}]*)\\}").arg(range));
    const QRegularExpressionMatch m = array.match(source.code);
    return m.hasMatch() ? literalsIn(m.captured(1)) : QStringList();
}

Collected collect(const QList<Source> &sources)
{
    static const QRegularExpression lookup(
        QStringLiteral("(?:\\bget|\\bfindChild)\\s*<\\s*([\\w:]+)\\s*\\*?\\s*>\\s*\\(|\\bcontrols\\s*\\.\\s*object\\s*\\("));
    Collected c;
    for (const Source &source : sources) {
        for (const QRegularExpressionMatch &m : StringLiteral.globalMatch(source.code)) {
            const QString text = m.captured(1);
            if (ControlName.match(text).hasMatch() && !NamePrefixes.contains(text) && !c.named.contains(text))
                c.named.insert(text, lineOf(source, m.capturedStart()));
        }
        for (const QRegularExpressionMatch &m : lookup.globalMatch(source.code)) {
            ++c.lookupCalls;
            const QString className = m.captured(1).isEmpty() ? QStringLiteral("QObject") : m.captured(1);
            const QString arguments = argumentsAt(source.code, m.capturedEnd() - 1);
            QStringList names = literalsIn(arguments);
            if (names.isEmpty())
                names = loopLiterals(source, m.capturedStart(), arguments);
            for (const QString &name : names)
                if (ControlName.match(name).hasMatch() && !NamePrefixes.contains(name))
                    c.lookups.append({lineOf(source, m.capturedStart()), name, className});
        }
    }
    return c;
}

} // namespace

class ControlNamesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_sources = programSources();
        QVERIFY2(!m_sources.isEmpty(), KR_SOURCE_DIR);
        m_collected = collect(m_sources);
        m_window = &m_fixture.open();
        m_calibration = std::make_unique<TfrmCalib>(m_fixture.session());
        m_tools = std::make_unique<KRTools>(*m_window, m_calibration.get());
        m_tools->actTrendExecute();
        m_tools->actCompareExecute();
        m_tools->actReportExecute();
        m_tools->actBusMonitorExecute();
    }

    void cleanupTestCase()
    {
        m_tools.reset();
        m_calibration.reset();
    }

    // The scan itself: comments do not count, and it reaches the program's lookups.
    void theScanFindsTheLookups()
    {
        QCOMPARE(withoutComments(QStringLiteral("a // \"edX\"\n\"b\" /* \"c\" */ '\"' \"d//e\"")),
                 QStringLiteral("a         \n\"b\"           '\"' \"d//e\""));
        QVERIFY(m_collected.lookupCalls >= 80);
        QVERIFY(m_collected.named.size() >= 150);
        QVERIFY(m_collected.lookups.size() >= 100);
        // A few lookups of each form: a literal, a ternary, a braced list, a named array.
        const auto hasLookup = [this](const QString &name, const QString &className) {
            for (const Lookup &l : std::as_const(m_collected.lookups))
                if (l.name == name && l.className == className)
                    return true;
            return false;
        };
        QVERIFY(hasLookup(QStringLiteral("edGenNodeNo"), QStringLiteral("QLineEdit")));
        QVERIFY(hasLookup(QStringLiteral("imgDataOut3Off"), QStringLiteral("QWidget")));
        QVERIFY(hasLookup(QStringLiteral("laDataVol2Unit"), QStringLiteral("QLabel")));
        QVERIFY(hasLookup(QStringLiteral("edConE8"), QStringLiteral("TKREdit")));
        QVERIFY(hasLookup(QStringLiteral("cmbInpFunc"), QStringLiteral("TKRComboBox")));
    }

    void everyNamedControlExists_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("where");
        for (auto it = m_collected.named.cbegin(); it != m_collected.named.cend(); ++it)
            QTest::newRow(qPrintable(it.key())) << it.key() << it.value();
    }

    void everyNamedControlExists()
    {
        QFETCH(QString, name);
        QFETCH(QString, where);
        QObject *object = control(name);
        QVERIFY2(object, qPrintable(QStringLiteral("%1 (%2) is no control of the program").arg(name, where)));
        QCOMPARE(object->objectName(), name);
    }

    void everyLookupGetsItsClass_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QSet<QString> rows;
        for (const Lookup &l : std::as_const(m_collected.lookups)) {
            const QString row = l.name + QLatin1Char(' ') + l.className;
            if (!rows.contains(row)) {
                rows.insert(row);
                QTest::newRow(qPrintable(QStringLiteral("%1 as %2 (%3)").arg(l.name, l.className, l.where)))
                    << l.name << l.className;
            }
        }
    }

    void everyLookupGetsItsClass()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QObject *object = control(name);
        QVERIFY2(object, qPrintable(name));
        QVERIFY2(object->inherits(className.toLatin1().constData()),
                 qPrintable(QStringLiteral("%1 is a %2").arg(name, QString::fromLatin1(object->metaObject()->className()))));
    }

private:
    // A control of the main window or the calibration dialog (the session's registry),
    // or of one of the tools' windows.
    QObject *control(const QString &name)
    {
        if (QObject *object = m_fixture.session().controls.object(name))
            return object;
        const QList<QObject *> tools = {m_tools.get(), m_tools->trend(), m_tools->compareWindow(),
                                        m_tools->reportWindow(), m_tools->busMonitor()};
        for (QObject *root : tools) {
            if (!root)
                continue;
            if (root->objectName() == name)
                return root;
            if (QObject *object = root->findChild<QObject *>(name))
                return object;
        }
        return nullptr;
    }

    MainWindowFixture m_fixture;
    QList<Source> m_sources;
    Collected m_collected;
    TfrmKR715Config *m_window = nullptr;
    std::unique_ptr<TfrmCalib> m_calibration;
    std::unique_ptr<KRTools> m_tools;
};

QTEST_MAIN(ControlNamesTest)
#include "tst_controlnames.moc"
