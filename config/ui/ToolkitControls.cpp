#include "ToolkitControls.h"

#include <QButtonGroup>
#include <QMouseEvent>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
TImage::PictureProvider &pictureProvider()
{
    static TImage::PictureProvider provider;
    return provider;
}
} // namespace

TImage::TImage(QWidget *parent) : QLabel(parent)
{
}

void TImage::setPictureProvider(PictureProvider provider)
{
    pictureProvider() = std::move(provider);
}

bool TImage::hasPictureProvider()
{
    return bool(pictureProvider());
}

void TImage::setPicture(const QString &name)
{
    m_picture = name;
    if (pictureProvider())
        setPixmap(pictureProvider()(name));
}

void TImage::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QLabel::mousePressEvent(event);
}

void TImage::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = event->button() == Qt::LeftButton && m_pressed
        && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit OnClick(this);
}

TRadioGroup::TRadioGroup(QWidget *parent) : QGroupBox(parent)
{
    m_layout = new QVBoxLayout(this);
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    // idClicked comes only from the operator (or a simulated click), never from
    // setChecked, so code selecting an item fires nothing.
    connect(m_group, &QButtonGroup::idClicked, this, &TRadioGroup::buttonClicked);
}

void TRadioGroup::setItems(const QStringList &items)
{
    m_items = items;
    if (m_itemIndex >= m_items.size())
        m_itemIndex = -1;
    // An index set before the items (a form description may list it first).
    if (m_pendingIndex >= 0 && m_pendingIndex < m_items.size())
        m_itemIndex = m_pendingIndex;
    m_pendingIndex = -1;
    rebuildButtons();
}

void TRadioGroup::rebuildButtons()
{
    for (QRadioButton *b : std::as_const(m_buttons)) {
        m_group->removeButton(b);
        delete b;
    }
    m_buttons.clear();
    for (int i = 0; i < m_items.size(); ++i) {
        auto *b = new QRadioButton(m_items.at(i), this);
        b->setObjectName(objectName() + QStringLiteral("_item%1").arg(i));
        m_group->addButton(b, i);
        m_layout->addWidget(b);
        m_buttons.append(b);
    }
    applyItemIndex();
}

void TRadioGroup::setItemIndex(int index)
{
    m_pendingIndex = m_items.isEmpty() ? index : -1;
    if (index < 0 || index >= m_items.size())
        index = -1;
    m_itemIndex = index;
    applyItemIndex();
}

void TRadioGroup::applyItemIndex()
{
    if (m_itemIndex >= 0 && m_itemIndex < m_buttons.size()) {
        m_buttons.at(m_itemIndex)->setChecked(true);
        return;
    }
    // An exclusive group never lets its checked button go; release it for a moment.
    m_group->setExclusive(false);
    for (QRadioButton *b : std::as_const(m_buttons))
        b->setChecked(false);
    m_group->setExclusive(true);
}

QString TRadioGroup::itemText(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : QString();
}

void TRadioGroup::setItemText(int index, const QString &text)
{
    if (index < 0 || index >= m_items.size())
        return;
    m_items[index] = text;
    if (index < m_buttons.size())
        m_buttons.at(index)->setText(text);
}

QRadioButton *TRadioGroup::button(int index) const
{
    return index >= 0 && index < m_buttons.size() ? m_buttons.at(index) : nullptr;
}

void TRadioGroup::buttonClicked(int index)
{
    m_itemIndex = index;
    emit OnClick(this);
}
