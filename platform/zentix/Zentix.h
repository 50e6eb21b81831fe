#pragma once
// Tree of the network's nodes, addressed by their PhysIds.
//
// A PhysId such as "NET1:FT101" belongs to the network named before its first
// colon; such nodes are grouped under one branch per network ("NET1:"), which is
// itself a selectable entry whose PhysId ends in ":" and so names no node.
// PhysIds without a colon are listed at the top level. A double click on any
// entry reports OnDblClick; PhysId then tells which entry was chosen.

#include <QStringList>
#include <QTreeWidget>

class TZentix : public QTreeWidget {
    Q_OBJECT
    Q_PROPERTY(QString PhysId READ PhysId)
    Q_PROPERTY(QStringList PhysIds READ PhysIds WRITE setPhysIds)
public:
    // Role under which every entry stores its full PhysId.
    static constexpr int PhysIdRole = Qt::UserRole + 1;

    explicit TZentix(QWidget *parent = nullptr);

    // PhysId of the entry selected in the tree; empty when nothing is selected.
    QString PhysId() const;

    // The node PhysIds shown, in the order they were given (blank and repeated
    // entries, compared without regard to case, are dropped).
    QStringList PhysIds() const { return m_physIds; }
    void setPhysIds(const QStringList &physIds);

    // Selects the entry of that PhysId (compared without regard to case), opening
    // its branch; false when the tree holds no such entry.
    bool selectPhysId(const QString &physId);

    // The network part of a PhysId ("NET1:" for "NET1:FT101"), empty when it has none.
    static QString networkOf(const QString &physId);

signals:
    void OnDblClick(QObject *sender);

private:
    void rebuild();
    QTreeWidgetItem *findEntry(const QString &physId) const;

    QStringList m_physIds;
};
