#pragma once
// Painting shared by the test components: a frame over the whole symbol and the
// picture inside the frame.

#include "ChildElements.h"
#include "Krsymbols.h"
#include "Krvisible.h"

// Paints frame and image of symbol on its canvas. A symbol marked hidden first asks
// whether it is visible by now (its floor shown again); one that is still hidden paints
// nothing and gives false.
inline bool paintFramedPicture(TKrSymbol &symbol, TKRFrame &frame, TKRImage &image)
{
    if (!symbol.GrundI()->GetVisible())
        symbol.GrundI()->SetVisible(IsVisible(&symbol));
    if (!symbol.GrundI()->GetVisible())
        return false;
    frame.SetBounds(symbol.ClientRect());
    frame.Paint(symbol.Canvas());
    image.Paint(symbol.Canvas(), frame.GetClipRect());
    return true;
}
