#pragma once
// What the designer's tests do as a user does it: open the main window, find a
// palette entry, place a symbol by clicks, drag, and read a page file back.

#include "DialogAnswerer.h"
#include "KrDesignOverlay.h"
#include "KrDesignerWindow.h"
#include "Symbolstream.h"
#include "ui_KrDesignerWindow.h"

#include <QFile>
#include <QListWidget>
#include <QtTest>

#include <memory>

class DesignerDriver : public QObject {
protected:
    std::unique_ptr<KrDesignerWindow> m_w;

    // A new main window, shown and exposed (the one before is dropped).
    KrDesignerWindow *Window()
    {
        m_w.reset();
        m_w = std::make_unique<KrDesignerWindow>();
        m_w->resize(1200, 800);
        m_w->show();
        if (!QTest::qWaitForWindowExposed(m_w.get()))
            qWarning("window not exposed");
        return m_w.get();
    }

    // Closes the window, refusing to save what a test changed.
    void CloseWindow()
    {
        if (m_w) {
            DialogAnswerer no(QMessageBox::No);
            m_w->close();
            m_w.reset();
        }
    }

    static QListWidgetItem *PaletteItem(KrDesignerWindow *w, const QString &guid)
    {
        QListWidget *list = w->Form()->lstPalette;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->data(Qt::UserRole).toString() == guid)
                return list->item(i);
        return nullptr;
    }

    // Clicks the palette entry, then the page at pos: a symbol as a user places it.
    static TKrSymbol *PlaceByClicks(KrDesignerWindow *w, const QString &guid, const QPoint &pos)
    {
        QListWidget *list = w->Form()->lstPalette;
        QListWidgetItem *item = PaletteItem(w, guid);
        if (!item)
            return nullptr;
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
        const int before = int(w->Page()->Symbols().size());
        QTest::mouseClick(w->Overlay(), Qt::LeftButton, {}, pos);
        if (w->Page()->Symbols().size() != before + 1)
            return nullptr;
        return w->SelectedSymbol();
    }

    // Presses at from, moves over the half-way point to to and releases there.
    static void Drag(QWidget *on, const QPoint &from, const QPoint &to)
    {
        QTest::mousePress(on, Qt::LeftButton, {}, from);
        for (const QPoint &p : {(from + to) / 2, to}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(p), on->mapToGlobal(QPointF(p)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(on, &move);
        }
        QTest::mouseRelease(on, Qt::LeftButton, {}, to);
    }

    static QByteArray Read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The number of symbol records a page file says it holds.
    static quint32 RecordCount(const QByteArray &page)
    {
        TKeloStream in(page);
        in.ReadUInt32();
        in.ReadUInt16();
        in.EnterBlock();
        return in.ReadUInt32();
    }
};
