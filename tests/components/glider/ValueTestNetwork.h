#pragma once
// Shared by the tests of the value components: a simulated network of their own
// (frozen devices, so that values change only when written), the server's bus
// trace, and a stand-in server that hands the links values the network never
// would (NaN, infinities, huge texts, dates, empty values).

#include "AutomationObject.h"
#include "KeloProServer.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <limits>

namespace valuetest {

// GL1: a frozen generic device with a real ".Level" and an integer ".Count";
// DEAD does not answer; FLT has a fault (reads give 256, writes 512).
inline QByteArray NetworkJson()
{
    return QByteArrayLiteral(R"({ "devices": [
  { "physId": "GL1", "deviceType": 702, "frozen": true,
    "variables": { ".Level": 50.25, ".Count": 5, ".Low": -20.0 } },
  { "physId": "DEAD", "deviceType": 702, "answers": false, "variables": { ".Level": 1.0 } },
  { "physId": "FLT", "deviceType": 702, "fault": 7, "frozen": true, "variables": { ".Level": 2.0 } }
] })");
}

// Points the server factory at the test network and the trace at a file of the
// folder; both are read when a link creates its server object.
inline void UseTestNetwork(const QTemporaryDir &dir, QString *traceFile)
{
    const QString network = dir.filePath(QStringLiteral("network.json"));
    QFile f(network);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(NetworkJson());
    f.close();
    *traceFile = dir.filePath(QStringLiteral("bus.trace"));
    qputenv("KELO_PRO_NETWORK", network.toLocal8Bit());
    qputenv("KELO_PRO_TRACE", traceFile->toLocal8Bit());
    kelopro::registerServer();
}

// The bus trace: lines written since a mark.
class Trace {
public:
    explicit Trace(const QString &file) : m_file(file) {}
    void Mark() { m_mark = QFileInfo(m_file).size(); }
    QStringList Since() const
    {
        QFile f(m_file);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        f.seek(m_mark);
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QStringList Puts(const QString &member) const
    {
        QStringList out;
        const QString prefix = QStringLiteral("put ") + member + QLatin1Char(' ');
        for (const QString &l : Since())
            if (l.startsWith(prefix))
                out << l.mid(prefix.size());
        return out;
    }

private:
    QString m_file;
    qint64 m_mark = 0;
};

// A server that answers every read with one chosen value and takes every write.
class OddValueServer : public automation::AutomationObject {
public:
    static QVariant &Value()
    {
        static QVariant v;
        return v;
    }
    void put(const QString &member, const QVariant &value) override
    {
        if (member.compare(QStringLiteral("value"), Qt::CaseInsensitive) == 0)
            Value() = value;
    }
    QVariant get(const QString &member) override
    {
        if (member.compare(QStringLiteral("value"), Qt::CaseInsensitive) == 0)
            return Value();
        if (member.compare(QStringLiteral("ErrorCode"), Qt::CaseInsensitive) == 0)
            return 0;
        if (member.compare(QStringLiteral("ErrorString"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("No error");
        return QVariant();
    }
    QVariant call(const QString &, const QVariantList &) override { return QVariant(); }
    static void Register()
    {
        automation::registerClass(QStringLiteral("KELO.PRO"), []() -> std::unique_ptr<automation::AutomationObject> {
            return std::make_unique<OddValueServer>();
        });
    }
};

// Values the network never delivers.
inline void OddValues()
{
    QTest::addColumn<QVariant>("value");
    QTest::newRow("NaN") << QVariant(std::numeric_limits<double>::quiet_NaN());
    QTest::newRow("+inf") << QVariant(std::numeric_limits<double>::infinity());
    QTest::newRow("-inf") << QVariant(-std::numeric_limits<double>::infinity());
    QTest::newRow("huge") << QVariant(1e308);
    QTest::newRow("tiny") << QVariant(-1e308);
    QTest::newRow("huge text") << QVariant(QString(2000000, QLatin1Char('9')));
    QTest::newRow("text number") << QVariant(QStringLiteral("42.5"));
    QTest::newRow("text no number") << QVariant(QStringLiteral("valve open"));
    QTest::newRow("date") << QVariant(QDateTime(QDate(2024, 2, 29), QTime(13, 45)));
    QTest::newRow("empty") << QVariant();
    QTest::newRow("empty text") << QVariant(QString());
    QTest::newRow("list") << QVariant(QVariantList{1, 2});
    QTest::newRow("int64") << QVariant(Q_INT64_C(9223372036854775807));
    QTest::newRow("bool") << QVariant(true);
}

// Compares data with a golden file of the folder; KR_WRITE_GOLDEN=1 writes the
// file instead (after a deliberate change of the format).
inline bool MatchesGolden(const QString &file, const QByteArray &data)
{
    if (qEnvironmentVariableIntValue("KR_WRITE_GOLDEN") == 1) {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.write(data);
        return true;
    }
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        qWarning("golden file %s missing", qPrintable(file));
        return false;
    }
    return f.readAll() == data;
}

inline QByteArray ReadFile(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace valuetest
