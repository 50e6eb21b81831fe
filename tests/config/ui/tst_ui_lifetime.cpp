// The value fields and lists listen to the application's focus changes. Destroying one
// that holds the focus clears the focus from inside the toolkit's destructor, after the
// field's own part is gone: by then nothing of the field may still listen.
#include "KRComboBox.h"
#include "KREdit.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <functional>
#include <memory>

namespace {

// The test application: tells how many slots listen to its focus changes.
class ProbeApplication : public QApplication {
public:
    using QApplication::QApplication;
    int focusListeners() const { return receivers(SIGNAL(focusChanged(QWidget *, QWidget *))); }
};

ProbeApplication *probe() { return static_cast<ProbeApplication *>(qApp); }

using Factory = std::function<QWidget *(QWidget *parent)>;

} // namespace

Q_DECLARE_METATYPE(Factory)

class UiLifetimeTest : public QObject {
    Q_OBJECT
private slots:
    void aFocusedControlIsDeafWhileItIsDestroyed_data()
    {
        QTest::addColumn<Factory>("make");
        const Factory edit = [](QWidget *parent) { return new TKREdit(parent); };
        const Factory list = [](QWidget *parent) {
            auto *box = new TKRComboBox(parent);
            box->addItems({QStringLiteral("a"), QStringLiteral("b")});
            return box;
        };
        const Factory editableList = [](QWidget *parent) {
            auto *box = new TKRComboBox(parent);
            box->setEditable(true);
            box->addItems({QStringLiteral("a"), QStringLiteral("b")});
            return box;
        };
        QTest::newRow("edit") << edit;
        QTest::newRow("pick list") << list;
        QTest::newRow("editable list") << editableList;
    }
    void aFocusedControlIsDeafWhileItIsDestroyed()
    {
        QFETCH(Factory, make);
        const int before = probe()->focusListeners();
        auto window = std::make_unique<QWidget>();
        auto *other = new TKREdit(window.get());
        QWidget *control = make(window.get());
        other->move(0, 40);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCoreApplication::processEvents(); // an editable list attaches its edit field
        control->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), control);
        QCOMPARE(probe()->focusListeners(), before + 2);

        // Listeners left when the focus leaves the control while it is being destroyed
        // (its own class already gone, only the toolkit's widget left).
        int listenersAtClear = -1;
        const auto watch = connect(qApp, &QApplication::focusChanged, this, [&](QWidget *old, QWidget *) {
            if (old == control && !qobject_cast<TKREdit *>(old) && !qobject_cast<TKRComboBox *>(old))
                listenersAtClear = probe()->focusListeners();
        });
        delete control;
        disconnect(watch);
        // The other field and the watch itself; the destroyed control no longer.
        QCOMPARE(listenersAtClear, before + 2);
        window.reset();
        QCOMPARE(probe()->focusListeners(), before);
    }
};

int main(int argc, char **argv)
{
    ProbeApplication app(argc, argv);
    UiLifetimeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ui_lifetime.moc"
