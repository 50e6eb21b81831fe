#pragma once
// Works the real main window the way an operator does (key presses, focus moving from
// field to field, choices in the drop-down lists, button clicks) against one frozen
// KR 715 "FT1" of the simulated network, and tells what reached the device: from the
// bus trace of the polling cycle, or by reading the simulated device itself.
//
//     OperatorDriver op(OperatorDriver::kr715({{".Code2", 0x12100A00}}));
//     TfrmKR715Config &w = op.open();           // selects FT1, window shown and active
//     op.cycle();                               // one whole polling cycle
//     op.typeAndEnter(op.edit("edConE3"), "001230");
//     QCOMPARE(op.serve(SlotPiCode), QStringLiteral("write 1191936"));

#include "MainWindowFixture.h"

#include "KRComboBox.h"
#include "KREdit.h"
#include "KeloProServer.h"
#include "PollCycle.h"
#include "ToolkitControls.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <initializer_list>
#include <utility>

class OperatorDriver {
public:
    using Values = std::initializer_list<std::pair<const char *, double>>;

    // A network of one frozen KR 715 "FT1" with the given start values (".Code2" ...).
    static QByteArray kr715(Values values = {}, int fault = 0)
    {
        QJsonObject variables;
        for (const auto &[name, value] : values)
            variables.insert(QLatin1String(name), value);
        QJsonObject device{{"physId", "FT1"}, {"deviceType", 715}, {"frozen", true}, {"fault", fault},
                           {"variables", variables}};
        QJsonObject network{{"devices", QJsonArray{device}}};
        return QJsonDocument(network).toJson(QJsonDocument::Compact);
    }

    explicit OperatorDriver(const QByteArray &network = kr715()) : m_fixture(network) {}

    // The main window, started with the arguments (FT1 selected by default; no
    // arguments: no device, the window works offline), shown and active so that the
    // focus moves as on a desktop.
    TfrmKR715Config &open(const QStringList &arguments = {QStringLiteral("FT1")})
    {
        TfrmKR715Config &w = m_fixture.open(arguments);
        w.show();
        activate();
        m_fixture.clearTrace();
        return w;
    }

    // Makes the main window the active window again, as the window manager does when
    // a popup or a dialog on top of it has closed.
    void activate()
    {
        // Let a closing popup or dialog finish its own activation changes first.
        QCoreApplication::processEvents();
        for (int attempt = 0; attempt < 3 && QApplication::activeWindow() != &window(); ++attempt) {
            QApplication::setActiveWindow(&window());
            static_cast<void>(QTest::qWaitForWindowActive(&window()));
            QCoreApplication::processEvents();
        }
        if (QApplication::activeWindow() != &window())
            qWarning("main window did not become active");
    }

    TfrmKR715Config &window() { return m_fixture.window(); }
    KR715Session &session() { return m_fixture.session(); }
    MainWindowFixture &fixture() { return m_fixture; }

    template <class T = QWidget> T *get(const QString &name) { return session().controls.get<T>(name); }
    TKREdit *edit(const QString &name) { return get<TKREdit>(name); }
    TKRComboBox *list(const QString &name) { return get<TKRComboBox>(name); }

    // --- operator actions ------------------------------------------------------

    // Brings a control on screen: its tab page is selected and the panels around it
    // that the function settings show or hide are shown (the control enabled).
    void reveal(QWidget *control)
    {
        if (!control->isEnabled())
            control->setEnabled(true);
        auto *pages = window().ui.pc715;
        for (int i = 0; i < pages->count(); ++i)
            if (pages->widget(i)->isAncestorOf(control))
                pages->setCurrentIndex(i);
        for (QWidget *w = control; w && w != &window(); w = w->parentWidget())
            if (w->isHidden() && !qobject_cast<QTabWidget *>(w->parentWidget()))
                w->show();
        QCoreApplication::processEvents();
    }

    // Moves the focus into a control, as a Tab key press does.
    void focus(QWidget *control)
    {
        reveal(control);
        control->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }

    // Moves the focus out of the current field to the help button of the top bar,
    // a control whose focus changes nothing (its handler runs only on a click).
    void leave()
    {
        window().ui.bu715HELP->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }

    // Enters the field and types text over its whole content (key by key).
    void type(TKREdit *field, const QString &text)
    {
        focus(field);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Delete);
        else
            QTest::keyClicks(field, text);
    }
    void typeAndEnter(TKREdit *field, const QString &text)
    {
        type(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    void typeAndLeave(TKREdit *field, const QString &text)
    {
        type(field, text);
        leave();
    }

    // Chooses an entry of a list as the operator does: focus, open the list, click
    // the entry. The list keeps the focus.
    bool choose(TKRComboBox *list, int index)
    {
        QAbstractItemView *view = openPopup(list);
        if (!view)
            return false;
        const QRect item = view->visualRect(view->model()->index(index, list->modelColumn()));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
        return popupClosed(view) && list->currentIndex() == index;
    }
    bool choose(const QString &list, int index) { return choose(this->list(list), index); }

    // Opens a list and closes it again with Escape, choosing nothing.
    bool openAndClose(TKRComboBox *list)
    {
        QAbstractItemView *view = openPopup(list);
        if (!view)
            return false;
        QTest::keyClick(view, Qt::Key_Escape);
        return popupClosed(view);
    }

    // A mouse click on a control (a radio button on its indicator at the left).
    void click(QWidget *control)
    {
        reveal(control);
        const QPoint at = qobject_cast<QRadioButton *>(control) ? QPoint(6, control->height() / 2)
                                                                : control->rect().center();
        QTest::mouseClick(control, Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
    }
    void click(const QString &name) { click(get<QWidget>(name)); }

    // --- the polling cycle and the bus ------------------------------------------

    void tick(int n = 1) { m_fixture.tick(n); }
    void cycle(int n = 1) { m_fixture.tick(20 * n); }
    // Ticks until the slot is the next one served (at most one cycle).
    void runTo(int slot)
    {
        for (int i = 0; i < KR715Session::SlotCount && session().pollSlot != slot; ++i)
            m_fixture.tick();
    }
    // Runs to the slot, serves it and tells from the bus what happened to its
    // variable: "read", "write <value>" or "skip" (selected, nothing read or written);
    // "none" when the tick did not reach the variable at all.
    QString serve(int slot)
    {
        runTo(slot);
        m_fixture.clearTrace();
        m_fixture.tick();
        const QString selection = QStringLiteral("put PhysId FT1") + pollVariable(slot);
        const QStringList lines = m_fixture.traceLines();
        const qsizetype at = lines.indexOf(selection);
        if (at < 0)
            return QStringLiteral("none");
        for (qsizetype i = at + 1; i < lines.size(); ++i) {
            const QString &line = lines.at(i);
            if (line.startsWith(QLatin1String("get value ")))
                return QStringLiteral("read");
            if (line.startsWith(QLatin1String("put value "), Qt::CaseInsensitive))
                return QStringLiteral("write ") + line.mid(10);
        }
        return QStringLiteral("skip");
    }

    void clearTrace() { m_fixture.clearTrace(); }
    // Values written since the last clearTrace, as "FT1.<variable> <value>".
    QStringList writes() const { return m_fixture.writes(); }
    // The device variables of the registers E1 to E8.
    inline static const QStringList RegisterVariables = {".MeterSize", ".Ti",    ".PiCode", ".MeterNumber",
                                                         ".Scale",     ".Code1", ".Code2",  ".Code3"};
    // Register values written since the last clearTrace, as "FT1.<variable> <value>".
    QStringList registerWrites() const
    {
        QStringList result;
        for (const QString &w : writes())
            for (const QString &v : RegisterVariables)
                if (w.startsWith(QStringLiteral("FT1") + v + QLatin1Char(' ')))
                    result.append(w);
        return result;
    }
    // Written values of one variable since the last clearTrace.
    QStringList writesOf(const QString &variable) const
    {
        QStringList result;
        const QString prefix = QStringLiteral("FT1") + variable + QLatin1Char(' ');
        for (const QString &w : m_fixture.writes())
            if (w.startsWith(prefix))
                result.append(w.mid(prefix.size()));
        return result;
    }

    // The simulated device itself.
    kelopro::KeloProServer *server()
    {
        return session().server ? dynamic_cast<kelopro::KeloProServer *>(&session().server->object()) : nullptr;
    }
    kelopro::SimDevice *device() { return server() ? server()->network().device(QStringLiteral("FT1")) : nullptr; }
    kelopro::SimValue deviceValue(const QString &variable)
    {
        kelopro::SimDevice *d = device();
        return d->read(d->variableIndex(variable.toLower()), server()->network().clock().now());
    }
    qint32 deviceCode(const QString &variable) { return deviceValue(variable).integer; }
    double deviceReal(const QString &variable) { return deviceValue(variable).toReal(); }
    // Changes a value on the device side, as the process would.
    void setDevice(const QString &variable, const kelopro::SimValue &value)
    {
        kelopro::SimDevice *d = device();
        d->write(d->variableIndex(variable.toLower()), value, server()->network().clock().now());
    }
    // The device stops or starts answering (a cable pulled or put back).
    void setAnswering(bool answers) { device()->setAnswers(answers); }

private:
    // Focuses the list and opens its popup: the popup's view once it shows, null when
    // it does not.
    QAbstractItemView *openPopup(TKRComboBox *list)
    {
        focus(list);
        list->showPopup();
        QAbstractItemView *view = list->view();
        return QTest::qWaitFor([view] { return view->isVisible(); }, 2000) ? view : nullptr;
    }

    // Waits for the popup to close, then makes the main window active again: true when
    // the popup closed.
    bool popupClosed(QAbstractItemView *view)
    {
        const bool closed = QTest::qWaitFor([view] { return !view->isVisible(); }, 2000);
        activate();
        return closed;
    }

    MainWindowFixture m_fixture;
};
