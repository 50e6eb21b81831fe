#pragma once
// Helpers shared by the device selection, polling and server error tests: networks
// of frozen devices, the live simulated network behind the window's server, the
// operator's ways of naming a device, and number texts in the user's locale.
#include "MainWindowFixture.h"

#include "DeviceLink.h"
#include "KRComboBox.h"
#include "KREdit.h"
#include "NumberFormat.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace conn {

// A frozen device of the network file; variables is the JSON object of start values
// and extra more fields (",\"answers\":false").
inline QByteArray device(const char *physId, int type = 715, const QByteArray &variables = "{}",
                         const QByteArray &extra = QByteArray())
{
    return QByteArray(R"({"physId":")") + physId + R"(","deviceType":)" + QByteArray::number(type)
        + R"(,"frozen":true,"variables":)" + variables + extra + "}";
}

inline QByteArray network(const QList<QByteArray> &devices)
{
    QByteArray json = R"({"devices":[)";
    for (int i = 0; i < devices.size(); ++i)
        json += (i ? "," : "") + devices.at(i);
    return json + "]}";
}

inline QStringList items(const QComboBox *box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

inline QLineEdit *edit(KR715Session &s, const char *name)
{
    auto *e = s.controls.get<QLineEdit>(QLatin1String(name));
    if (!e)
        qFatal("no edit %s", name);
    return e;
}

inline QString text(KR715Session &s, const char *name) { return edit(s, name)->text(); }

// The simulated network the window's server works on: the test's way of pulling a
// cable or reading a device back without going through the program.
inline kelopro::SimNetwork &liveNetwork(KR715Session &s)
{
    auto *server = s.server ? dynamic_cast<kelopro::KeloProServer *>(&s.server->object()) : nullptr;
    if (!server)
        qFatal("the window has no simulated server");
    return server->network();
}

inline kelopro::SimDevice &liveDevice(KR715Session &s, const char *physId)
{
    kelopro::SimDevice *d = liveNetwork(s).device(QLatin1String(physId));
    if (!d)
        qFatal("no device %s", physId);
    return *d;
}

// Reads a device variable straight from the simulated device.
inline kelopro::SimValue deviceValue(KR715Session &s, const char *physId, const char *variable)
{
    kelopro::SimDevice &d = liveDevice(s, physId);
    return d.read(d.variableIndex(QString::fromLatin1(variable).toLower()), liveNetwork(s).clock().now());
}

// A number text written with "." as it reads in the user's locale.
inline QString num(const char *text)
{
    QString t = QString::fromLatin1(text);
    t.replace(QLatin1Char('.'), numfmt::userLocale().decimalPoint());
    return t;
}

// Shows the window and makes it the active one, so that focus changes work.
inline bool showActive(QWidget &w)
{
    w.show();
    QApplication::setActiveWindow(&w);
    return QTest::qWaitForWindowActive(&w);
}

// The operator enters the PhysId box, replaces its text by typing and presses Enter.
// A selection restarts the polling timer; it is stopped again so that the test keeps
// driving the ticks (wasRestarted tells whether the selection had started it).
inline void typePhysId(TfrmKR715Config &w, const QString &physId, bool pressEnter = true, bool *wasRestarted = nullptr)
{
    TKRComboBox *box = w.ui.cmb715PhysId;
    // A message box closed a moment ago: the window must be active again, or the
    // focus would arrive later and undo the selection below.
    if (!w.isActiveWindow()) {
        QApplication::setActiveWindow(&w);
        if (!QTest::qWaitForWindowActive(&w))
            qWarning("the main window did not become active");
    }
    box->setFocus(Qt::TabFocusReason);
    box->lineEdit()->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, physId);
    if (pressEnter)
        QTest::keyClick(box, Qt::Key_Return);
    if (wasRestarted)
        *wasRestarted = w.ti715UpdateData->isActive();
    w.ti715UpdateData->stop();
}

// Selects a device as the program does at start (command line) and stops the timer.
inline void selectDevice(TfrmKR715Config &w, const QString &physId)
{
    w.deviceLink->SelectDevice(physId);
    w.ti715UpdateData->stop();
}

// Compares two traces line by line; member names are matched without regard to case,
// as the server matches them.
inline bool sameTrace(const QStringList &actual, const QStringList &expected, QString *why)
{
    const int n = int(qMax(actual.size(), expected.size()));
    for (int i = 0; i < n; ++i) {
        const QString a = actual.value(i, QStringLiteral("<none>"));
        const QString e = expected.value(i, QStringLiteral("<none>"));
        if (a.compare(e, Qt::CaseInsensitive) != 0) {
            *why = QStringLiteral("line %1: got \"%2\", expected \"%3\"\nwhole trace:\n%4")
                       .arg(i + 1)
                       .arg(a, e, actual.join(QLatin1Char('\n')));
            return false;
        }
    }
    return true;
}

} // namespace conn

// KR_COMPARE_TRACE(actual, expected...): the expected lines may be an expression with
// commas (a braced list).
#define KR_COMPARE_TRACE(actual, ...)                                                              \
    do {                                                                                           \
        QString why_;                                                                              \
        QVERIFY2(conn::sameTrace((actual), QStringList(__VA_ARGS__), &why_), qPrintable(why_));    \
    } while (false)
