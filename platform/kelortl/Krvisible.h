#pragma once
// Unit Krvisible: whether a symbol is to be drawn now, and the notices a paper
// (a page or a work floor) sends to the symbols on it when it opens or closes.
//
// A symbol is visible when it and every container up to its page are shown and
// the page is open. Each symbol caches the answer in its TGrundIImp; the notices
// below walk every symbol on the paper (nested containers included, parents
// before their contents), store the fresh answer and call VisibleChanged(paper)
// on each symbol whose cached answer changed.

#include "KrGlobal.h"

class QObject;
class QWidget;

// Whether the component (a symbol, or an element through its symbol) is to be
// drawn now.
KRTL_EXPORT bool IsVisible(QObject *component);
// Whether the widget and its containers up to the page are shown and the page
// is open (IKrDrawingItem's shown query of a symbol).
KRTL_EXPORT bool KrIsShown(QWidget *w);
// The paper was shown: re-evaluates the symbols on it.
KRTL_EXPORT void PaperOpened(QObject *paper);
// The paper was hidden: its own cache and that of every symbol on it become false.
KRTL_EXPORT void PaperClosed(QObject *paper);
// Re-evaluates the symbols on the paper that still count as visible and tells
// those that no longer are (before a shown paper is hidden or moved). When the
// paper is a symbol whose cached visibility already reads false, every symbol
// on it counts as not visible.
KRTL_EXPORT void TestClosed(QObject *paper);
// Every symbol on the paper is treated as not visible (the paper itself is not
// touched): used while a paper stays hidden.
KRTL_EXPORT void HideAllChilds(QObject *paper);
