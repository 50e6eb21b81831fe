#include "Krpropertypage.h"

#include "KrTypes.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

static void ShowColor(QPushButton *b, TColor c)
{
    const QColor q = KrColor(c);
    b->setText(QStringLiteral("$%1").arg(c, 8, 16, QLatin1Char('0')).toUpper());
    b->setStyleSheet(QStringLiteral("background-color: %1").arg(q.name()));
}

TKrPropertyPage::TKrPropertyPage(QObject *target, const QList<TKrPropField> &fields, std::function<void()> edited, QWidget *parent)
    : QWidget(parent), m_target(target), m_fields(fields), m_edited(std::move(edited))
{
    auto *form = new QFormLayout(this);
    form->setContentsMargins(4, 4, 4, 4);
    const QMetaObject *mo = target->metaObject();
    for (const TKrPropField &f : m_fields) {
        const int index = mo->indexOfProperty(f.property.constData());
        if (index < 0)
            continue;
        const QMetaProperty prop = mo->property(index);
        const int type = prop.metaType().id();
        QWidget *editor = nullptr;
        const QByteArray name = f.property;
        if (f.kind == TKrPropField::Choice) {
            auto *combo = new QComboBox(this);
            combo->addItems(f.choices);
            connect(combo, &QComboBox::currentIndexChanged, this, [this, name, type](int i) {
                if (i >= 0)
                    Apply(name, type == QMetaType::Bool ? QVariant(i != 0) : QVariant(i));
            });
            editor = combo;
        } else if (f.kind == TKrPropField::Color) {
            auto *button = new QPushButton(this);
            connect(button, &QPushButton::clicked, this, [this, name, button]() {
                const QColor c = QColorDialog::getColor(KrColor(m_target->property(name.constData()).toUInt()), this);
                if (c.isValid()) {
                    const TColor tc = KrColorFromQColor(c);
                    ShowColor(button, tc);
                    Apply(name, QVariant(uint(tc)));
                }
            });
            editor = button;
        } else if (f.kind == TKrPropField::File) {
            auto *box = new QWidget(this);
            auto *row = new QHBoxLayout(box);
            row->setContentsMargins(0, 0, 0, 0);
            auto *edit = new QLineEdit(box);
            auto *browse = new QPushButton(QStringLiteral("..."), box);
            browse->setFixedWidth(28);
            row->addWidget(edit, 1);
            row->addWidget(browse);
            connect(edit, &QLineEdit::editingFinished, this, [this, name, edit]() { Apply(name, edit->text()); });
            const QString filter = f.filter;
            connect(browse, &QPushButton::clicked, this, [this, name, edit, filter]() {
                const QString file = QFileDialog::getOpenFileName(this, QString(), edit->text(), filter);
                if (!file.isEmpty()) {
                    edit->setText(file);
                    Apply(name, file);
                }
            });
            box->setObjectName(QStringLiteral("fileBox"));
            editor = box;
        } else if (type == QMetaType::Bool) {
            auto *check = new QCheckBox(this);
            connect(check, &QCheckBox::toggled, this, [this, name](bool on) { Apply(name, on); });
            editor = check;
        } else if (type == QMetaType::Int || type == QMetaType::UInt || type == QMetaType::LongLong) {
            auto *spin = new QSpinBox(this);
            spin->setRange(int(qMax(-2147483647.0, f.minimum)), int(qMin(2147483647.0, f.maximum)));
            connect(spin, &QSpinBox::valueChanged, this, [this, name](int v) { Apply(name, v); });
            editor = spin;
        } else if (type == QMetaType::Double) {
            auto *spin = new QDoubleSpinBox(this);
            spin->setDecimals(6);
            spin->setRange(f.minimum, f.maximum);
            connect(spin, &QDoubleSpinBox::valueChanged, this, [this, name](double v) { Apply(name, v); });
            editor = spin;
        } else if (type == QMetaType::QStringList || f.kind == TKrPropField::MultiLine) {
            auto *text = new QPlainTextEdit(this);
            text->setMaximumHeight(80);
            connect(text, &QPlainTextEdit::textChanged, this, [this, name, text, type]() {
                if (type == QMetaType::QStringList)
                    Apply(name, text->toPlainText().split(QLatin1Char('\n')));
                else
                    Apply(name, text->toPlainText());
            });
            editor = text;
        } else if (type == QMetaType::QString) {
            auto *edit = new QLineEdit(this);
            connect(edit, &QLineEdit::editingFinished, this, [this, name, edit]() { Apply(name, edit->text()); });
            editor = edit;
        }
        if (!editor)
            continue;
        editor->setProperty("krProperty", name);
        if (!prop.isWritable())
            editor->setEnabled(false);
        form->addRow(f.caption.isEmpty() ? QString::fromLatin1(name) : f.caption, editor);
        m_editors.append({name, editor});
    }
    Reload();
}

QWidget *TKrPropertyPage::Editor(const QByteArray &property) const
{
    for (const auto &p : m_editors)
        if (p.first == property)
            return p.second;
    return nullptr;
}

void TKrPropertyPage::Reload()
{
    m_loading = true;
    for (const auto &p : m_editors) {
        const QVariant v = m_target->property(p.first.constData());
        QWidget *w = p.second;
        if (auto *combo = qobject_cast<QComboBox *>(w))
            combo->setCurrentIndex(v.typeId() == QMetaType::Bool ? (v.toBool() ? 1 : 0) : v.toInt());
        else if (auto *check = qobject_cast<QCheckBox *>(w))
            check->setChecked(v.toBool());
        else if (auto *spin = qobject_cast<QSpinBox *>(w))
            spin->setValue(v.toInt());
        else if (auto *dspin = qobject_cast<QDoubleSpinBox *>(w))
            dspin->setValue(v.toDouble());
        else if (auto *text = qobject_cast<QPlainTextEdit *>(w))
            text->setPlainText(v.typeId() == QMetaType::QStringList ? v.toStringList().join(QLatin1Char('\n')) : v.toString());
        else if (auto *edit = qobject_cast<QLineEdit *>(w))
            edit->setText(v.toString());
        else if (auto *button = qobject_cast<QPushButton *>(w))
            ShowColor(button, v.toUInt());
        else if (w->objectName() == QLatin1String("fileBox")) {
            if (auto *edit = w->findChild<QLineEdit *>())
                edit->setText(v.toString());
        }
    }
    m_loading = false;
}

void TKrPropertyPage::Apply(const QByteArray &property, const QVariant &value)
{
    if (m_loading)
        return;
    if (m_target->property(property.constData()) == value)
        return;
    m_target->setProperty(property.constData(), value);
    if (m_edited)
        m_edited();
}
