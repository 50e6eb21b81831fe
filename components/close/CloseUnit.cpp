#include "CloseUnit.h"

#include "Divunit.h"
#include "KrComponentEntry.h"

#include <QPointer>

KR_SYMBOL_CLASS(TKRClose)

TKRClose::TKRClose(TKrComponent *owner) : TKrGraphicControl(owner)
{
    resize(15, 15);
    SetCursorCode(crHandPoint);
    m_upFrame = new TKRFrame(this);
    m_upFrame->SetName(QStringLiteral("Up frame"));
    m_upFrame->SetStyle(TKRFrame::fsRaised);
    m_downFrame = new TKRFrame(this);
    m_downFrame->SetName(QStringLiteral("Down frame"));
    m_downFrame->SetStyle(TKRFrame::fsLowered);
    m_image = new TKRImage(this);
    m_image->SetName(QStringLiteral("Image"));
    m_image->SetKind(TKRImage::ikPicture);
}

bool TKRClose::GetInterface(const TGUID &iid, void **obj)
{
    KR_OFFER_INTERFACE(IKrRotatable)
    return TKrGraphicControl::GetInterface(iid, obj);
}

int TKRClose::GetRotation()
{
    return m_image->GetRotatedDeg();
}

bool TKRClose::GetMirrored()
{
    return m_image->GetMirrored();
}

void TKRClose::Rotate_Mirror(TRotateFunction function, const QPoint &centre)
{
    SetBounds(RotatedBounds(function, centre));
    m_image->Rotate_Mirror(function, centre);
    Validate();
}

void TKRClose::Paint()
{
    QPainter *canvas = PaintCanvas();
    if (!canvas)
        return;
    TKrGraphicControl::Paint();
    TKRFrame *frame = m_pressed ? m_downFrame : m_upFrame;
    frame->SetBounds(ClientRect());
    frame->Paint(canvas);
    m_image->Paint(canvas, frame->GetClipRect());
}

void TKRClose::Validate()
{
    TKrGraphicControl::Validate();
    Repaint();
}

void TKRClose::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    m_pressed = true;
    Repaint();
    TKrGraphicControl::MouseDown(button, shift, x, y);
}

void TKRClose::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    QPointer<TKRClose> self(this);
    m_pressed = false;
    QWidget *parent = parentWidget();
    if (ClientRect().Contains(x, y) && !GetBlockClicks() && parent
        && Supports<IKrDrawingItem>(static_cast<QObject *>(parent)) && parent->parentWidget()
        && Supports<IKrDrawingItem>(static_cast<QObject *>(parent->parentWidget()))) {
        IKRWorkFloor *floor = Supports<IKRWorkFloor>(static_cast<QObject *>(parent));
        if (floor && floor->GetRelationCount() > 0)
            floor->CloseFloor(Name());
    }
    if (!self)
        return;
    Repaint();
    TKrGraphicControl::MouseUp(button, shift, x, y);
}
