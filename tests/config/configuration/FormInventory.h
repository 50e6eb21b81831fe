#pragma once
// Table-driven checks of a form's control inventory: every control the later
// handlers address by name must exist with the right class, parent, caption,
// list entries and value codes, start visibility, enabled state, maximum length,
// read-only flag, tool tip and help context.
//
// A test builds a list of Control rows, feeds them to addInventoryRows() in its
// _data function and calls checkInventoryRow() in the test function.

#include "KRBevel.h"
#include "KRComboBox.h"
#include "KRPanel.h"
#include "ToolkitControls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLayout>
#include <QSet>
#include <QTest>
#include <QWidget>

#include <optional>

struct Control {
    QString name;
    QString className;
    QString parent;
    QString text; // caption, title, text, bevel caption or dock caption
    bool hidden = false;
    bool enabled = true;
    bool readOnly = false;
    int maxLength = 32767; // QLineEdit's own default: no limit set
    QString toolTip;
    int helpContext = -1; // -1: the control carries no help context
    QStringList items;
    QStringList valueItems;

    Control(const QString &n, const QString &cls, const QString &par, const QString &txt = QString())
        : name(n), className(cls), parent(par), text(txt)
    {
    }
    Control &hide() { hidden = true; return *this; }
    Control &disable() { enabled = false; return *this; }
    Control &readOnlyField() { readOnly = true; return *this; }
    Control &max(int length) { maxLength = length; return *this; }
    Control &hint(const QString &tip) { toolTip = tip; return *this; }
    Control &help(int context) { helpContext = context; return *this; }
    Control &list(const QStringList &entries, const QStringList &codes = {})
    {
        items = entries;
        valueItems = codes;
        return *this;
    }
};
Q_DECLARE_METATYPE(Control)

// The text a control shows as its caption, or std::nullopt for controls without one.
inline std::optional<QString> captionOf(const QObject *object)
{
    if (auto *panel = qobject_cast<const TKRPanel *>(object))
        return panel->DockCaption();
    if (auto *bevel = qobject_cast<const TKRBevel *>(object))
        return bevel->Caption();
    if (qobject_cast<const QComboBox *>(object))
        return std::nullopt; // checked through its entries
    if (auto *edit = qobject_cast<const QLineEdit *>(object))
        return edit->text();
    if (auto *label = qobject_cast<const QLabel *>(object))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(object))
        return button->text();
    if (auto *group = qobject_cast<const QGroupBox *>(object))
        return group->title();
    if (auto *widget = qobject_cast<const QWidget *>(object); widget && widget->isWindow())
        return widget->windowTitle();
    return std::nullopt;
}

inline void addInventoryRows(const QList<Control> &rows)
{
    QTest::addColumn<Control>("control");
    for (const Control &row : rows)
        QTest::newRow(qPrintable(row.name)) << row;
}

// The controls of several forms in one table, a row each ("<form> <control>"): the
// columns "form" (the form the control is looked for in) and "control".
struct InventoryForm {
    const char *name;
    QWidget *form;
    QList<Control> rows;
};
inline void addInventoryRows(const QList<InventoryForm> &forms)
{
    QTest::addColumn<QWidget *>("form");
    QTest::addColumn<Control>("control");
    for (const InventoryForm &f : forms)
        for (const Control &row : f.rows)
            QTest::addRow("%s %s", f.name, qPrintable(row.name)) << f.form << row;
}
// Checks the current row of such a table.
inline void checkInventoryRow();

// Checks one row against the control of that name below root.
inline void checkInventoryRow(QWidget *root, const Control &c)
{
    QWidget *w = root->objectName() == c.name ? root : root->findChild<QWidget *>(c.name);
    QVERIFY2(w, qPrintable(QStringLiteral("missing control ") + c.name));
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), c.className);
    if (!c.parent.isEmpty()) {
        QVERIFY2(w->parentWidget(), "control has no parent");
        QCOMPARE(w->parentWidget()->objectName(), c.parent);
    }

    if (const std::optional<QString> caption = captionOf(w))
        QCOMPARE(*caption, c.text);
    else
        QVERIFY2(c.text.isEmpty(), "a caption is expected but the control has none");

    QCOMPARE(w->isHidden(), c.hidden);
    QCOMPARE(w->isEnabled(), c.enabled);
    QCOMPARE(w->toolTip(), c.toolTip);

    const QVariant help = w->property("HelpContext");
    if (c.helpContext < 0) {
        QVERIFY2(!help.isValid(), "unexpected help context");
    } else {
        QVERIFY2(help.isValid(), "help context missing");
        QCOMPARE(help.toInt(), c.helpContext);
    }

    if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        QCOMPARE(edit->isReadOnly(), c.readOnly);
        QCOMPARE(edit->maxLength(), c.maxLength);
    } else {
        QVERIFY2(!c.readOnly && c.maxLength == 32767, "read-only or length given for a control that is no edit");
    }

    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i)
            entries.append(combo->itemText(i));
        QCOMPARE(entries, c.items);
        // A pick list: the operator chooses, never types.
        QVERIFY(!combo->isEditable());
        if (auto *kr = qobject_cast<TKRComboBox *>(w)) {
            QCOMPARE(kr->ValueItems(), c.valueItems);
            // The main window selects the first entries while it starts up, with the
            // list's own selection operation; until then no entry is chosen.
            QCOMPARE(kr->currentIndex(), -1);
        } else {
            QCOMPARE(combo->currentIndex(), c.items.isEmpty() ? -1 : 0);
        }
    } else if (auto *radio = qobject_cast<TRadioGroup *>(w)) {
        QCOMPARE(radio->Items(), c.items);
        QCOMPARE(radio->ItemIndex(), c.items.isEmpty() ? -1 : 0);
    } else {
        QVERIFY2(c.items.isEmpty(), "entries given for a control that is no list");
    }
}

// Named widgets below root that no row names (layouts and Qt's own helpers excluded).
inline QStringList unlistedControls(QWidget *root, const QList<Control> &rows, const QStringList &alsoAllowed = {})
{
    QSet<QString> known;
    for (const Control &row : rows)
        known.insert(row.name);
    QStringList extra;
    const auto widgets = root->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || known.contains(name) || alsoAllowed.contains(name))
            continue;
        extra.append(name);
    }
    return extra;
}

// Controls (below the absolutely placed content panel) that stick out of their parent.
inline QStringList controlsOutsideParent(QWidget *panel)
{
    QStringList outside;
    const auto widgets = panel->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QWidget *parent = w->parentWidget();
        // Children placed by a layout of their own parent are sized by it.
        if (parent->layout() && parent->layout()->indexOf(w) >= 0)
            continue;
        if (!parent->rect().contains(w->geometry()))
            outside.append(w->objectName());
    }
    return outside;
}

// Pictures that are missing or blank.
inline QStringList imagesWithoutPicture(QWidget *root)
{
    QStringList missing;
    const auto images = root->findChildren<TImage *>();
    for (TImage *image : images) {
        const QPixmap pixmap = image->pixmap();
        if (pixmap.isNull() || pixmap.size() != image->size()) {
            missing.append(image->objectName());
            continue;
        }
        const QImage picture = pixmap.toImage();
        bool drawn = false;
        for (int y = 0; y < picture.height() && !drawn; ++y)
            for (int x = 0; x < picture.width() && !drawn; ++x)
                drawn = qAlpha(picture.pixel(x, y)) != 0;
        if (!drawn)
            missing.append(image->objectName());
    }
    return missing;
}

inline void checkInventoryRow()
{
    QFETCH(QWidget *, form);
    QFETCH(Control, control);
    checkInventoryRow(form, control);
}
