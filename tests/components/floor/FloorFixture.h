#pragma once
// What the floor, open and close tests share: the real component libraries
// loaded from bin/components through the host loader, a drawing page in design
// or run mode, and the steps a designer user takes: placing symbols, naming a
// floor in an opener's "Open ref.", switching element values, clicking.

#include "ChildElements.h"
#include "Divunit.h"
#include "KrDrawingPage.h"
#include "KrHostLoader.h"
#include "OpenFloorInterface.h"

#include <QFile>
#include <QMenu>
#include <QtTest>
#include <memory>

namespace floortest {

inline TKrHostLoader &Loader()
{
    static TKrHostLoader loader;
    return loader;
}

inline TKrComponentLibrary *Lib(const char *path)
{
    TKrComponentLibrary *lib = Loader().Load(QString::fromLocal8Bit(path));
    if (!lib)
        qWarning() << Loader().Problems().value(0).ToString();
    return lib;
}
inline TKrComponentLibrary *FloorLib() { return Lib(KR_FLOOR_LIB); }
inline TKrComponentLibrary *OpenLib() { return Lib(KR_OPEN_LIB); }
inline TKrComponentLibrary *CloseLib() { return Lib(KR_CLOSE_LIB); }

// A page with its designer (design mode) or without (run mode).
struct Page {
    std::unique_ptr<TKrDrawingPage> page;
    std::unique_ptr<TKrHostDesigner> designer;

    explicit Page(bool design)
    {
        WorkAreaW = 1000;
        WorkAreaH = 800;
        GlobZoomFactor = 1.0;
        page = std::make_unique<TKrDrawingPage>(&Loader());
        page->resize(1000, 800);
        if (design) {
            designer = std::make_unique<TKrHostDesigner>();
            page->SetDesigner(designer.get());
        }
        page->Open();
    }
    ~Page()
    {
        page.reset();
    }
    TKrDrawingPage *operator->() const { return page.get(); }
    TKrDrawingPage *get() const { return page.get(); }

    TKrSymbol *Floor(const QString &name, const TRect &r, TKrComponent *owner = nullptr)
    {
        return page->CreateSymbol(FloorLib(), name, r, owner);
    }
    TKrSymbol *Open(const QString &name, const TRect &r, TKrComponent *owner = nullptr)
    {
        return page->CreateSymbol(OpenLib(), name, r, owner);
    }
    TKrSymbol *Close(const QString &name, const TRect &r, TKrComponent *owner = nullptr)
    {
        return page->CreateSymbol(CloseLib(), name, r, owner);
    }
    TKrSymbol *Find(const QString &name) const { return KrSymbolOf(page->FindSymbol(name)); }
};

template <class E>
E *Element(TKrSymbol *s, const QString &label)
{
    return s ? qobject_cast<E *>(s->FindElement(label)) : nullptr;
}

inline IKRWorkFloor *WorkFloor(QObject *s) { return Supports<IKRWorkFloor>(s); }
inline IKRFloorRelations *Relations(QObject *s) { return Supports<IKRFloorRelations>(s); }

inline QStringList RelationList(QObject *floor)
{
    QStringList list;
    if (IKRWorkFloor *f = WorkFloor(floor))
        for (int i = 0; i < f->GetRelationCount(); ++i)
            list.append(Relations(floor)->GetRelation(i));
    return list;
}

// The designer user types the floor's name into the opener's "Open ref.".
inline void SetOpenRef(TKrSymbol *open, const QString &floorName)
{
    Element<TKRString>(open, QStringLiteral("Open ref."))->SetValue(floorName);
}
inline QString OpenRef(TKrSymbol *open)
{
    return Element<TKRString>(open, QStringLiteral("Open ref."))->GetValue();
}
inline void SetBool(TKrSymbol *s, const QString &label, bool v)
{
    Element<TKrBoolean>(s, label)->SetValue(v);
}
inline void SetShowMode(TKrSymbol *floor, int mode)
{
    Element<TKRDropdownList>(floor, QStringLiteral("Show"))->SetValue(mode);
}

// Whether the floor is shown in its own right (not counting its containers).
inline bool Shown(QWidget *w)
{
    return w && !w->isHidden();
}

inline void Click(QWidget *w, QPoint at = QPoint(-1, -1))
{
    if (at == QPoint(-1, -1))
        at = w->rect().center();
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, at);
}

// Closes a floor the way its close button would, without one.
inline void CloseFloor(TKrSymbol *floor)
{
    WorkFloor(floor)->CloseFloor(QString());
}

inline QByteArray Design(TKrSymbol *s)
{
    TSymbolStream st;
    QStringList files;
    s->SaveToStream(st, files);
    return st.Data();
}

// The context menu the symbol shows at its centre (nullptr when none), with the
// texts of its items.
inline QStringList ContextMenu(TKrSymbol *s, QMenu **menuOut = nullptr)
{
    bool handled = false;
    s->DoContextPopup(s->rect().center(), handled);
    QMenu *menu = s->findChild<QMenu *>();
    QStringList texts;
    if (handled && menu)
        for (QAction *a : menu->actions())
            texts.append(a->text());
    if (menu)
        menu->hide();
    if (menuOut)
        *menuOut = handled ? menu : nullptr;
    return texts;
}

inline QAction *MenuAction(TKrSymbol *s, const QString &text)
{
    QMenu *menu = nullptr;
    ContextMenu(s, &menu);
    if (!menu)
        return nullptr;
    for (QAction *a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

// Golden design streams kept with the tests: KR_WRITE_GOLDEN=1 writes them
// once; otherwise the present stream must equal the kept one byte for byte.
inline QString GoldenPath(const QString &name)
{
    return QStringLiteral(KR_GOLDEN_DIR "/") + name;
}
inline QByteArray ReadGolden(const QString &name)
{
    QFile f(GoldenPath(name));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}
inline bool WriteGoldenRequested()
{
    return qEnvironmentVariableIntValue("KR_WRITE_GOLDEN") == 1;
}
inline void WriteGolden(const QString &name, const QByteArray &data)
{
    QFile f(GoldenPath(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(data);
}

} // namespace floortest
