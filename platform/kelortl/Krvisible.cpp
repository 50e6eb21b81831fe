#include "Krvisible.h"

#include "Krsymbols.h"

#include <QPointer>

static bool ShownFlag(QWidget *w)
{
    // A widget the program hid stays hidden; one never shown or hidden follows
    // its parent.
    return !(w->isHidden() && w->testAttribute(Qt::WA_WState_ExplicitShowHide));
}

bool KrIsShown(QWidget *w)
{
    if (!w)
        return false;
    for (QWidget *p = w; p; p = p->parentWidget()) {
        auto *item = Supports<IKrDrawingItem>(static_cast<QObject *>(p));
        if (!KrSymbolOf(p)) {
            // The page (or whatever holds the symbols) answers for itself.
            return item ? item->GetShown() : ShownFlag(p);
        }
        if (!ShownFlag(p))
            return false;
    }
    return true;
}

bool IsVisible(QObject *component)
{
    if (!component)
        return false;
    if (auto *e = qobject_cast<TKrChild *>(component))
        return IsVisible(e->Symbol());
    if (auto *w = qobject_cast<QWidget *>(component))
        return KrIsShown(w);
    return false;
}

template <class F>
static void WalkSymbols(QWidget *paper, F &&f)
{
    // Copy first: a notice may add or remove symbols.
    const QList<TKrSymbol *> children = KrChildSymbols(paper);
    for (const QPointer<TKrSymbol> s : children) {
        if (!s)
            continue;
        f(s.data());
        if (s)
            WalkSymbols(s.data(), f);
    }
}

static void Store(TKrSymbol *s, bool visible, QObject *sender)
{
    if (s->GrundI()->GetVisible() == visible)
        return;
    s->GrundI()->SetVisible(visible);
    s->VisibleChanged(sender);
}

void PaperOpened(QObject *paper)
{
    auto *w = qobject_cast<QWidget *>(paper);
    if (!w)
        return;
    WalkSymbols(w, [paper](TKrSymbol *s) { Store(s, IsVisible(s), paper); });
}

void PaperClosed(QObject *paper)
{
    if (auto *s = KrSymbolOf(paper))
        s->GrundI()->SetVisible(false);
    HideAllChilds(paper);
}

void TestClosed(QObject *paper)
{
    auto *w = qobject_cast<QWidget *>(paper);
    if (!w)
        return;
    // A paper whose own cache already reads false is on its way out (a floor
    // clears it before it hides itself): nothing on it counts as visible, even
    // while its widget is still shown.
    TKrSymbol *paperSymbol = KrSymbolOf(paper);
    const bool paperClosing = paperSymbol && !paperSymbol->GrundI()->GetVisible();
    WalkSymbols(w, [paper, paperClosing](TKrSymbol *s) {
        if (s->GrundI()->GetVisible() && (paperClosing || !IsVisible(s)))
            Store(s, false, paper);
    });
}

void HideAllChilds(QObject *paper)
{
    auto *w = qobject_cast<QWidget *>(paper);
    if (!w)
        return;
    WalkSymbols(w, [paper](TKrSymbol *s) { Store(s, false, paper); });
}
