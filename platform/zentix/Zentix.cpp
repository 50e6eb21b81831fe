#include "Zentix.h"

#include <QHeaderView>

TZentix::TZentix(QWidget *parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderLabels({QStringLiteral("PhysId")});
    header()->setVisible(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    // A double click reports the choice; it must not also toggle a branch open or
    // closed under the operator's pointer.
    setExpandsOnDoubleClick(false);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item, int) {
        if (item) {
            setCurrentItem(item);
            emit OnDblClick(this);
        }
    });
}

QString TZentix::PhysId() const
{
    const QTreeWidgetItem *item = currentItem();
    if (!item || !item->isSelected())
        return QString();
    return item->data(0, PhysIdRole).toString();
}

QString TZentix::networkOf(const QString &physId)
{
    const qsizetype colon = physId.indexOf(QLatin1Char(':'));
    if (colon <= 0)
        return QString();
    return physId.left(colon + 1);
}

void TZentix::setPhysIds(const QStringList &physIds)
{
    QStringList cleaned;
    for (const QString &raw : physIds) {
        const QString physId = raw.trimmed();
        if (physId.isEmpty() || cleaned.contains(physId, Qt::CaseInsensitive))
            continue;
        cleaned.append(physId);
    }
    if (cleaned == m_physIds)
        return;
    m_physIds = cleaned;
    rebuild();
}

void TZentix::rebuild()
{
    clear();
    for (const QString &physId : std::as_const(m_physIds)) {
        const QString network = networkOf(physId);
        if (network.isEmpty() || network.compare(physId, Qt::CaseInsensitive) == 0) {
            // A node without a network, or a network given on its own.
            if (!findEntry(physId)) {
                auto *item = new QTreeWidgetItem(this, {physId});
                item->setData(0, PhysIdRole, physId);
            }
            continue;
        }
        QTreeWidgetItem *branch = findEntry(network);
        if (!branch) {
            branch = new QTreeWidgetItem(this, {network});
            branch->setData(0, PhysIdRole, network);
        }
        auto *node = new QTreeWidgetItem(branch, {physId.mid(network.size())});
        node->setData(0, PhysIdRole, physId);
        node->setToolTip(0, physId);
    }
    expandAll();
}

QTreeWidgetItem *TZentix::findEntry(const QString &physId) const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem *top = topLevelItem(i);
        if (top->data(0, PhysIdRole).toString().compare(physId, Qt::CaseInsensitive) == 0)
            return top;
        for (int j = 0; j < top->childCount(); ++j) {
            QTreeWidgetItem *child = top->child(j);
            if (child->data(0, PhysIdRole).toString().compare(physId, Qt::CaseInsensitive) == 0)
                return child;
        }
    }
    return nullptr;
}

bool TZentix::selectPhysId(const QString &physId)
{
    QTreeWidgetItem *item = findEntry(physId.trimmed());
    if (!item)
        return false;
    if (item->parent())
        item->parent()->setExpanded(true);
    setCurrentItem(item);
    item->setSelected(true);
    scrollToItem(item);
    return true;
}
