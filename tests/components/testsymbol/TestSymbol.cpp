#include "TestSymbol.h"
#include "FramedPicture.h"

#include "Divunit.h"
#include "KrComponentEntry.h"

#include <QPainter>

KR_SYMBOL_CLASS(TKRTestSymbol)

TKRTestSymbol::TKRTestSymbol(TKrComponent *owner) : TKrGraphicControl(owner)
{
    resize(40, 20);
    m_frame = new TKRFrame(this);
    m_frame->SetName(QStringLiteral("Frame"));
    m_frame->SetStyle(TKRFrame::fsSingle);
    m_image = new TKRImage(this);
    m_image->SetName(QStringLiteral("Image"));
    m_image->SetKind(TKRImage::ikPicture);
    m_image->SetColor(0x0000FF00); // green
    m_text = new TKrText(this);
    m_text->SetName(QStringLiteral("Text"));
    m_function = new TKRInOutFunction(this);
    m_function->SetName(QStringLiteral("Function"));
}

TKRTestSymbol::~TKRTestSymbol() = default;

bool TKRTestSymbol::GetInterface(const TGUID &iid, void **obj)
{
    KR_OFFER_INTERFACE(IKrRotatable)
    return TKrGraphicControl::GetInterface(iid, obj);
}

void TKRTestSymbol::SetEnableVariableLink(bool on)
{
    if (on == (m_link != nullptr))
        return;
    if (on) {
        m_link = new TKrKeloTimer(this);
        m_link->SetName(QStringLiteral("Variable link"));
        m_link->SetOnDataReadyEvent([this](QObject *) {
            ++m_dataReady;
            m_lastValue = m_link->GetInValue();
            m_text->SetCaption(m_lastValue.toString());
        });
        m_link->OnError = [this](QObject *) { ++m_errors; };
    } else {
        delete m_link;
        m_link = nullptr;
    }
    if (IKrDesigner *d = GrundI()->GetKrDesigner())
        d->RefreshElementTree();
}

void TKRTestSymbol::Paint()
{
    if (!paintFramedPicture(*this, *m_frame, *m_image))
        return;
    m_text->SetBounds(m_frame->GetClipRect());
    m_text->Paint(Canvas());
}

void TKRTestSymbol::SetBounds(int left, int top, int width, int height)
{
    TKrGraphicControl::SetBounds(left, top, width, height);
    m_frame->SetBounds(ClientRect());
    m_text->SetBounds(m_frame->GetClipRect());
    ++m_layouts;
}

void TKRTestSymbol::InitSymbol()
{
    TKrGraphicControl::InitSymbol();
    if (m_link)
        m_link->SetEnable(GrundI()->GetVisible() && !m_link->GetPhysId().isEmpty());
}

void TKRTestSymbol::VisibleChanged(QObject *sender)
{
    TKrGraphicControl::VisibleChanged(sender);
    ++m_visibleChanges;
    m_image->VisibleChanged(sender);
    if (m_link)
        m_link->SetEnable(GrundI()->GetVisible() && !m_link->GetPhysId().isEmpty());
}

void TKRTestSymbol::SaveRunTimeData(TRunTimeStream &stream)
{
    TKrGraphicControl::SaveRunTimeData(stream);
    stream.WriteString(m_text->Caption());
}

void TKRTestSymbol::LoadRunTimeData(TRunTimeStream &stream)
{
    TKrGraphicControl::LoadRunTimeData(stream);
    m_text->SetCaption(stream.ReadString());
}

void TKRTestSymbol::Rotate_Mirror(TRotateFunction function, const QPoint &centre)
{
    TRect bounds = BoundsRect();
    const QPoint c = parentWidget() ? parentWidget()->mapFromGlobal(centre) : centre;
    switch (function) {
    case rfRotateRight:
        m_rotDeg = (m_rotDeg + 90) % 360;
        RotateRect(bounds, c, true);
        break;
    case rfRotateLeft:
        m_rotDeg = (m_rotDeg + 270) % 360;
        RotateRect(bounds, c, false);
        break;
    case rfMirrorHorizontal:
        m_rotMirr = !m_rotMirr;
        if (m_rotDeg == 90 || m_rotDeg == 270)
            m_rotDeg = 360 - m_rotDeg;
        break;
    case rfMirrorVertical:
        m_rotMirr = !m_rotMirr;
        if (m_rotDeg == 0 || m_rotDeg == 180)
            m_rotDeg = 180 - m_rotDeg;
        break;
    default:
        return;
    }
    m_image->Rotate_Mirror(function, centre);
    SetBounds(bounds);
    Repaint();
    if (IKrDesigner *d = GrundI()->GetKrDesigner())
        d->Modified(true);
}
