// KrDesigner's main window driven as a user drives it: the palette of the
// plug-in folder (refused libraries greyed with the loader's reason), placing
// symbols by click and by drop, editing a property, the undo and redo of every
// kind of change, copy and paste with renaming, the context menu, the modified
// question, and the run mode reading a value of the simulated network.

#include "DesignerDriver.h"
#include "DialogAnswerer.h"
#include "Divunit.h"
#include "KeloProServer.h"
#include "KrDesignOverlay.h"
#include "KrDesignerWindow.h"
#include "KrKelo.h"
#include "Krpropertypage.h"
#include "Namechanged.h"
#include "ui_KrDesignerWindow.h"

#include <QDoubleSpinBox>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QTreeWidget>
#include <QtTest>

static const QString kSymbolGuid = QStringLiteral("{7F6F463A-068C-4FC7-8C2C-48CFCCA86966}");
static const QString kPanelGuid = QStringLiteral("{65AF74EF-DCC4-4D33-BC01-635FE0F1D667}");

class TestDesigner : public DesignerDriver {
    Q_OBJECT

    // A main window whose plug-in folder is that of the test libraries.
    KrDesignerWindow *Window()
    {
        m_w.reset();
        KrDesignerWindow::SetSettingsComponentFolder(QStringLiteral(KR_TEST_COMPONENT_DIR));
        return DesignerDriver::Window();
    }

private slots:
    void initTestCase()
    {
        kelopro::registerServer();
    }

    void cleanup()
    {
        CloseWindow();
    }

    void paletteShowsLibrariesAndRefusedOnes()
    {
        KrDesignerWindow *w = Window();
        const KrPaletteEntry *symbol = w->Palette().Entry(kSymbolGuid);
        QVERIFY(symbol);
        QCOMPARE(symbol->name, QStringLiteral("KrTestSymbol"));
        QCOMPARE(symbol->version, QStringLiteral("1.2.3"));
        QCOMPARE(symbol->description, QStringLiteral("Test symbol of the plug-in contract"));
        QCOMPARE(symbol->picture.size(), QSize(32, 32));
        QVERIFY(w->Palette().Entry(kPanelGuid));
        int refused = 0;
        for (const KrPaletteEntry &e : w->Palette().Entries()) {
            if (!e.refused)
                continue;
            ++refused;
            QVERIFY2(e.reason.contains(QStringLiteral("runtime version 999")) || e.reason.contains(QStringLiteral("SymbolCreate")), qPrintable(e.reason));
        }
        QCOMPARE(refused, 2);
        // Greyed in the list, with the reason shown.
        QListWidget *list = w->Form()->lstPalette;
        int greyed = 0;
        for (int i = 0; i < list->count(); ++i) {
            QListWidgetItem *item = list->item(i);
            if (!(item->flags() & Qt::ItemIsEnabled)) {
                ++greyed;
                QVERIFY(item->text().contains(QStringLiteral("refused")));
            }
        }
        QCOMPARE(greyed, 2);
        QVERIFY(PaletteItem(w, kSymbolGuid)->text().contains(QStringLiteral("KrTestSymbol 1.2.3")));
        // A refused entry places nothing.
        for (int i = 0; i < list->count(); ++i)
            if (!(list->item(i)->flags() & Qt::ItemIsEnabled))
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(i)).center());
        QVERIFY(w->ArmedComponent().isEmpty());
    }

    void placeEditUndoRedo()
    {
        KrDesignerWindow *w = Window();
        const QByteArray empty = w->Page()->SavePage();
        TKrSymbol *s = PlaceByClicks(w, kSymbolGuid, QPoint(101, 83));
        QVERIFY(s);
        QCOMPARE(s->Name(), QStringLiteral("KRTestSymbol1"));
        QCOMPARE(s->pos(), QPoint(96, 80)); // on the grid
        QVERIFY(w->IsModified());
        QVERIFY(w->windowTitle().contains(QStringLiteral("Untitled")));
        // Its property page in the side panel, and its element tree.
        auto *pageW = w->Form()->pnDetails->findChild<TKrPropertyPage *>();
        QVERIFY(pageW);
        auto *level = qobject_cast<QDoubleSpinBox *>(pageW->Editor("Level"));
        QVERIFY(level);
        QCOMPARE(w->Form()->trvElements->topLevelItemCount(), 4);
        const QByteArray placed = w->Page()->SavePage();
        level->setValue(4.5);
        QCOMPARE(s->property("Level").toDouble(), 4.5);
        QCOMPARE(w->History().UndoCount(), 2);
        w->Form()->actUndo->trigger();
        s = KrSymbolOf(w->Page()->FindSymbol(QStringLiteral("KRTestSymbol1")));
        QVERIFY(s);
        QCOMPARE(s->property("Level").toDouble(), 0.0);
        QCOMPARE(w->Page()->SavePage(), placed);
        QCOMPARE(w->SelectedSymbol(), s); // the selection survives
        w->Form()->actRedo->trigger();
        s = KrSymbolOf(w->Page()->FindSymbol(QStringLiteral("KRTestSymbol1")));
        QCOMPARE(s->property("Level").toDouble(), 4.5);
        w->Form()->actUndo->trigger();
        w->Form()->actUndo->trigger();
        QCOMPARE(w->Page()->Symbols().size(), 0);
        QCOMPARE(w->Page()->SavePage(), empty);
        QVERIFY(!w->IsModified());
        QVERIFY(!w->Form()->actUndo->isEnabled());
    }

    void dropFromThePalettePlacesOnContainers()
    {
        KrDesignerWindow *w = Window();
        auto drop = [w](const QString &guid, const QPoint &at) {
            QMimeData mime;
            mime.setData(QLatin1String(KrDesignOverlay::kMimeType), guid.toLatin1());
            QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(w->Overlay(), &enter);
            QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(w->Overlay(), &move);
            QDropEvent e(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(w->Overlay(), &e);
        };
        drop(kPanelGuid, QPoint(200, 200));
        TKrSymbol *panel = w->SelectedSymbol();
        QVERIFY(panel);
        panel->SetBounds(TRect(200, 200, 500, 400));
        drop(kSymbolGuid, QPoint(260, 250));
        TKrSymbol *inner = w->SelectedSymbol();
        QVERIFY(inner && inner != panel);
        QCOMPARE(inner->Owner(), static_cast<TKrComponent *>(panel));
        QCOMPARE(inner->parentWidget(), static_cast<QWidget *>(panel));
        QCOMPARE(inner->pos(), QPoint(56, 48));
    }

    void undoOfEachKindOfChange_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *k : {"place", "move", "resize", "delete", "paste", "front", "back", "rotate", "mirror", "property", "componentStep", "element", "cut"})
            QTest::newRow(k) << QString::fromLatin1(k);
    }

    void undoOfEachKindOfChange()
    {
        QFETCH(QString, kind);
        KrDesignerWindow *w = Window();
        TKrSymbol *a = PlaceByClicks(w, kSymbolGuid, QPoint(40, 40));
        TKrSymbol *b = PlaceByClicks(w, kSymbolGuid, QPoint(80, 64));
        QVERIFY(a && b);
        const QByteArray before = w->Page()->SavePage();
        const int steps = w->History().UndoCount();
        w->SetSelection({a});
        if (kind == QLatin1String("place")) {
            QVERIFY(PlaceByClicks(w, kSymbolGuid, QPoint(300, 300)));
        } else if (kind == QLatin1String("move")) {
            Drag(w->Overlay(), QPoint(50, 50), QPoint(150, 130));
            QCOMPARE(a->pos(), QPoint(144, 120)); // 140, 120 on the grid
        } else if (kind == QLatin1String("resize")) {
            const QRect r = a->geometry();
            // The test symbol's own 40 x 20, grown to 80 x 48 on the grid.
            Drag(w->Overlay(), r.bottomRight(), r.bottomRight() + QPoint(40, 28));
            QCOMPARE(a->size(), r.size() + QSize(40, 28));
        } else if (kind == QLatin1String("delete")) {
            w->Form()->actDelete->trigger();
            QVERIFY(!w->Page()->FindSymbol(QStringLiteral("KRTestSymbol1")));
        } else if (kind == QLatin1String("cut")) {
            w->Form()->actCut->trigger();
            QCOMPARE(w->Page()->Symbols().size(), 1);
        } else if (kind == QLatin1String("paste")) {
            w->Form()->actCopy->trigger();
            w->Form()->actPaste->trigger();
            QCOMPARE(w->Page()->Symbols().size(), 3);
        } else if (kind == QLatin1String("front")) {
            w->Form()->actBringToFront->trigger();
            QCOMPARE(w->Page()->Components().last(), static_cast<TKrComponent *>(a));
        } else if (kind == QLatin1String("back")) {
            w->SetSelection({b});
            w->Form()->actSendToBack->trigger();
            QCOMPARE(w->Page()->Components().first(), static_cast<TKrComponent *>(b));
        } else if (kind == QLatin1String("rotate")) {
            w->Form()->actRotateRight->trigger();
            QCOMPARE(a->property("RotDeg").toInt(), 90);
        } else if (kind == QLatin1String("mirror")) {
            w->Form()->actMirrorHorizontal->trigger();
            QVERIFY(a->property("RotMirr").toBool());
        } else if (kind == QLatin1String("property")) {
            auto *page = w->Form()->pnDetails->findChild<TKrPropertyPage *>();
            QVERIFY(page);
            qobject_cast<QDoubleSpinBox *>(page->Editor("Level"))->setValue(7.25);
        } else if (kind == QLatin1String("componentStep")) {
            // A component that changes itself and records the step (AddUndo).
            a->setProperty("Note", QStringLiteral("changed by its own page"));
            a->GrundI()->AddUndo();
            QTRY_COMPARE(w->History().UndoCount(), steps + 1);
        } else if (kind == QLatin1String("element")) {
            // Switching an element on refreshes the tree (and is a step).
            a->setProperty("EnableVariableLink", true);
            a->GrundI()->AddUndo();
            QTRY_VERIFY(!w->Form()->trvElements->findItems(QStringLiteral("Variable link"), Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
        }
        QTRY_COMPARE(w->History().UndoCount(), steps + 1);
        const QByteArray after = w->Page()->SavePage();
        QVERIFY(after != before);
        QVERIFY(w->Form()->actUndo->isEnabled());
        w->Form()->actUndo->trigger();
        QCOMPARE(w->Page()->SavePage(), before);
        w->Form()->actRedo->trigger();
        QCOMPARE(w->Page()->SavePage(), after);
        w->Form()->actUndo->trigger();
        QCOMPARE(w->Page()->SavePage(), before);
    }

    void rubberBandSelectsSeveral()
    {
        KrDesignerWindow *w = Window();
        QVERIFY(PlaceByClicks(w, kSymbolGuid, QPoint(40, 40)));
        QVERIFY(PlaceByClicks(w, kSymbolGuid, QPoint(200, 40)));
        QVERIFY(PlaceByClicks(w, kSymbolGuid, QPoint(600, 500)));
        Drag(w->Overlay(), QPoint(10, 10), QPoint(400, 200));
        QCOMPARE(w->Selection().size(), 2);
        QVERIFY(!w->SelectedSymbol());
        // Moving the selection moves both, as one step.
        const int steps = w->History().UndoCount();
        Drag(w->Overlay(), QPoint(45, 45), QPoint(45, 85));
        QCOMPARE(KrSymbolOf(w->Page()->FindSymbol(QStringLiteral("KRTestSymbol1")))->pos(), QPoint(40, 80));
        QCOMPARE(KrSymbolOf(w->Page()->FindSymbol(QStringLiteral("KRTestSymbol2")))->pos(), QPoint(200, 80));
        QCOMPARE(w->History().UndoCount(), steps + 1);
        // Ctrl-click takes one out again.
        QTest::mouseClick(w->Overlay(), Qt::LeftButton, Qt::ControlModifier, QPoint(45, 85));
        QCOMPARE(w->Selection().size(), 1);
    }

    void pasteRenamesAndReportsIt()
    {
        KrDesignerWindow *w = Window();
        TKrSymbol *a = PlaceByClicks(w, kSymbolGuid, QPoint(40, 40));
        QVERIFY(a);
        a->setProperty("Level", 2.5);
        w->Form()->actCopy->trigger();
        w->Form()->actPaste->trigger();
        TKrSymbol *b = w->SelectedSymbol();
        QVERIFY(b && b != a);
        QCOMPARE(b->Name(), QStringLiteral("KRTestSymbol2"));
        QCOMPARE(b->property("Level").toDouble(), 2.5);
        QCOMPARE(w->LastRenames(), QStringList{QStringLiteral("KRTestSymbol1 -> KRTestSymbol2")});
        QCOMPARE(FindNameChangedOld(QStringLiteral("KRTestSymbol2")), QStringLiteral("KRTestSymbol1"));
        QCOMPARE(FindNameChangedNew(QStringLiteral("KRTestSymbol1")), QStringLiteral("KRTestSymbol2"));
        QCOMPARE(b->pos(), a->pos() + QPoint(16, 16));
        QVERIFY(w->statusBar()->currentMessage().contains(QStringLiteral("KRTestSymbol1 -> KRTestSymbol2")));
        // A name that is free is kept.
        w->Form()->actCut->trigger();
        QVERIFY(!w->Page()->FindSymbol(QStringLiteral("KRTestSymbol2")));
        w->Form()->actPaste->trigger();
        QCOMPARE(w->SelectedSymbol()->Name(), QStringLiteral("KRTestSymbol2"));
        QVERIFY(w->LastRenames().isEmpty());
    }

    void contextMenuHoldsTheDesignerCommands()
    {
        KrDesignerWindow *w = Window();
        TKrSymbol *a = PlaceByClicks(w, kSymbolGuid, QPoint(40, 40));
        QVERIFY(a);
        w->SetSelection({});
        QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(50, 50), w->Overlay()->mapToGlobal(QPoint(50, 50)));
        QApplication::sendEvent(w->Overlay(), &e);
        QCOMPARE(w->SelectedSymbol(), a);
        QMenu *menu = a->PopupMenu();
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(menu->actions().contains(w->Form()->actDelete));
        QVERIFY(menu->actions().contains(w->Form()->actRotateRight));
        menu->close();
        // Asked twice, the commands are there once.
        QApplication::sendEvent(w->Overlay(), &e);
        QCOMPARE(menu->actions().count(w->Form()->actDelete), 1);
        menu->close();
    }

    void modifiedPageAsksBeforeItIsLost()
    {
        KrDesignerWindow *w = Window();
        QVERIFY(PlaceByClicks(w, kSymbolGuid, QPoint(40, 40)));
        QVERIFY(w->windowTitle().contains(QStringLiteral("[*]")) || w->isWindowModified());
        {
            DialogAnswerer cancel(QMessageBox::Cancel);
            w->Form()->actNew->trigger();
            QCOMPARE(cancel.texts.size(), 1);
            QVERIFY(cancel.texts.first().contains(QStringLiteral("modified")));
        }
        QCOMPARE(w->Page()->Symbols().size(), 1);
        {
            DialogAnswerer no(QMessageBox::No);
            w->Form()->actNew->trigger();
            QCOMPARE(no.texts.size(), 1);
        }
        QCOMPARE(w->Page()->Symbols().size(), 0);
        QVERIFY(!w->IsModified());
        {
            DialogAnswerer none(QMessageBox::No);
            w->Form()->actNew->trigger();
            QVERIFY(none.texts.isEmpty()); // nothing to lose, nothing asked
        }
    }

    void zoomScalesThePage()
    {
        KrDesignerWindow *w = Window();
        TKrSymbol *a = PlaceByClicks(w, kSymbolGuid, QPoint(40, 40));
        QVERIFY(a);
        const QRect r = a->geometry();
        const QByteArray before = w->Page()->SavePage();
        w->SetZoom(2.0);
        QCOMPARE(a->geometry(), QRect(r.topLeft() * 2, r.size() * 2));
        QCOMPARE(w->Page()->size(), QSize(WorkAreaW * 2, WorkAreaH * 2));
        w->Form()->actZoomNormal->trigger();
        QCOMPARE(a->geometry(), r);
        QCOMPARE(w->Page()->SavePage(), before);
        QVERIFY(!w->History().CanRedo());
    }

    void runModeReadsTheNetworkAndLeavesThePage()
    {
        KrDesignerWindow *w = Window();
        TKrSymbol *a = PlaceByClicks(w, kSymbolGuid, QPoint(40, 40));
        QVERIFY(a);
        a->setProperty("EnableVariableLink", true);
        auto *link = qobject_cast<TKrKelo *>(a->FindElement(QStringLiteral("Variable link")));
        QVERIFY(link);
        link->SetPhysId(QStringLiteral("FT101.Flow"));
        link->SetUpdateTime(100);
        link->SetEnable(true);
        w->Commit();
        const QByteArray designed = w->Page()->SavePage();
        const bool modified = w->IsModified();
        w->Form()->actRunMode->trigger();
        QVERIFY(w->IsRunMode());
        QVERIFY(w->Overlay()->isHidden());
        QVERIFY(!w->Form()->actDelete->isEnabled());
        a = KrSymbolOf(w->Page()->FindSymbol(QStringLiteral("KRTestSymbol1")));
        QVERIFY(a);
        QVERIFY(!a->IsDesigning());
        QTRY_VERIFY_WITH_TIMEOUT(a->property("DataReadyCount").toInt() > 0, 5000);
        bool ok = false;
        a->property("LastValue").toDouble(&ok);
        QVERIFY(ok);
        QVERIFY(w->windowTitle().contains(QStringLiteral("Run")));
        w->Form()->actRunMode->trigger();
        QVERIFY(!w->IsRunMode());
        QCOMPARE(w->Page()->SavePage(), designed);
        QCOMPARE(w->IsModified(), modified);
        QVERIFY(KrSymbolOf(w->Page()->FindSymbol(QStringLiteral("KRTestSymbol1")))->IsDesigning());
    }
};

QTEST_MAIN(TestDesigner)
#include "tst_designer.moc"
