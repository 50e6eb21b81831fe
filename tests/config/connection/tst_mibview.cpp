// The network-variable view: the node tree (grouping, the PhysId of the selected
// entry, the double-click notification) and the window that holds it.

#include "MibViewU.h"
#include "Zentix.h"

#include <QMetaProperty>
#include <QSignalSpy>
#include <QTest>

namespace {

QStringList topLevelTexts(const QTreeWidget &tree)
{
    QStringList texts;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        texts.append(tree.topLevelItem(i)->text(0));
    return texts;
}

QTreeWidgetItem *entry(const QTreeWidget &tree, const QString &physId)
{
    QTreeWidgetItemIterator it(const_cast<QTreeWidget *>(&tree));
    for (; *it; ++it) {
        if ((*it)->data(0, TZentix::PhysIdRole).toString() == physId)
            return *it;
    }
    return nullptr;
}

void doubleClick(TZentix &tree, QTreeWidgetItem *item)
{
    tree.scrollToItem(item);
    const QPoint at = tree.visualItemRect(item).center();
    // A double click arrives as press, release, double-click press, release.
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestMibView : public QObject {
    Q_OBJECT

private slots:
    void networkOfAPhysId_data()
    {
        QTest::addColumn<QString>("physId");
        QTest::addColumn<QString>("network");
        QTest::newRow("node") << "NET1:FT101" << "NET1:";
        QTest::newRow("network alone") << "NET1:" << "NET1:";
        QTest::newRow("no network") << "FT101" << "";
        QTest::newRow("leading colon") << ":FT101" << "";
        QTest::newRow("two colons") << "NET1:SEG:FT" << "NET1:";
        QTest::newRow("empty") << "" << "";
    }
    void networkOfAPhysId()
    {
        QFETCH(QString, physId);
        QFETCH(QString, network);
        QCOMPARE(TZentix::networkOf(physId), network);
    }

    void nodesAreGroupedByNetwork()
    {
        TZentix tree;
        tree.setPhysIds({"NET1:FT101", "Local", "NET2:KR715", "net1:FT102", "", "  ", "NET1:FT101", "local"});
        // Blank and repeated PhysIds (any letter case) are dropped, order kept.
        QCOMPARE(tree.PhysIds(), QStringList({"NET1:FT101", "Local", "NET2:KR715", "net1:FT102"}));
        QCOMPARE(topLevelTexts(tree), QStringList({"NET1:", "Local", "NET2:"}));
        QTreeWidgetItem *net1 = tree.topLevelItem(0);
        QCOMPARE(net1->childCount(), 2);
        QCOMPARE(net1->child(0)->text(0), QStringLiteral("FT101"));
        QCOMPARE(net1->child(1)->data(0, TZentix::PhysIdRole).toString(), QStringLiteral("net1:FT102"));
        QVERIFY(net1->isExpanded());

        // A new list replaces the old one.
        tree.setPhysIds({"NET3:A"});
        QCOMPARE(topLevelTexts(tree), QStringList({"NET3:"}));
        tree.setPhysIds({});
        QCOMPARE(tree.topLevelItemCount(), 0);
    }

    void physIdIsTheSelectedEntry()
    {
        TZentix tree;
        QCOMPARE(tree.PhysId(), QString());
        tree.setPhysIds({"NET1:FT101", "NET1:FT102", "Local"});
        QCOMPARE(tree.PhysId(), QString());

        QVERIFY(tree.selectPhysId("net1:ft102"));
        QCOMPARE(tree.PhysId(), QStringLiteral("NET1:FT102"));
        QVERIFY(tree.selectPhysId("NET1:"));
        QCOMPARE(tree.PhysId(), QStringLiteral("NET1:")); // names a network, not a node
        QVERIFY(!tree.selectPhysId("NET9:X"));
        QCOMPARE(tree.PhysId(), QStringLiteral("NET1:"));

        tree.clearSelection();
        QCOMPARE(tree.PhysId(), QString());

        // The PhysId is reported, never set, through the property.
        const QMetaProperty property = tree.metaObject()->property(tree.metaObject()->indexOfProperty("PhysId"));
        QVERIFY(property.isValid());
        QVERIFY(property.isReadable());
        QVERIFY(!property.isWritable());
        QVERIFY(tree.selectPhysId("Local"));
        QCOMPARE(tree.property("PhysId").toString(), QStringLiteral("Local"));
    }

    void doubleClickReportsTheChosenNode()
    {
        TZentix tree;
        tree.resize(300, 300);
        tree.setPhysIds({"NET1:FT101", "NET1:FT102", "Local"});
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        QSignalSpy spy(&tree, &TZentix::OnDblClick);

        QTreeWidgetItem *node = entry(tree, "NET1:FT102");
        QVERIFY(node);
        doubleClick(tree, node);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<QObject *>(), static_cast<QObject *>(&tree));
        QCOMPARE(tree.PhysId(), QStringLiteral("NET1:FT102"));

        // A double click on a network branch reports it too and leaves it open.
        QTreeWidgetItem *branch = entry(tree, "NET1:");
        doubleClick(tree, branch);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(tree.PhysId(), QStringLiteral("NET1:"));
        QVERIFY(branch->isExpanded());

        // A single click selects without reporting a choice.
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(entry(tree, "Local")).center());
        QCOMPARE(spy.count(), 2);
        QCOMPARE(tree.PhysId(), QStringLiteral("Local"));
    }

    void windowHoldsTheTree()
    {
        TfrmMIBView view;
        QCOMPARE(view.objectName(), QStringLiteral("TfrmMIBView"));
        QCOMPARE(view.windowTitle(), QStringLiteral("MIB View"));
        QVERIFY(view.isWindow());
        QVERIFY(view.isHidden()); // created hidden, shown on request
        QCOMPARE(view.size(), QSize(409, 445));
        QCOMPARE(view.minimumSize(), QSize(100, 100));

        TZentix *tree = view.findChild<TZentix *>("axZentixView");
        QVERIFY(tree);
        QCOMPARE(tree, view.ui.axZentixView);
        QCOMPARE(tree->parentWidget(), static_cast<QWidget *>(&view));

        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(tree->geometry(), view.rect());
        // It keeps filling the window when the operator resizes it, down to the minimum.
        for (const QSize size : {QSize(600, 500), QSize(100, 100)}) {
            view.resize(size);
            QTRY_COMPARE(tree->geometry(), view.rect());
        }
        view.resize(50, 50);
        QCOMPARE(view.size(), QSize(100, 100));
    }
};

QTEST_MAIN(TestMibView)
#include "tst_mibview.moc"
