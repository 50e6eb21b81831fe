#include "KRActionCollection.h"

#include "Krpropertypage.h"
#include "Krsymbols.h"

TKRActionCollection::TKRActionCollection(TKrComponent *owner) : TKrChild(owner)
{
    m_image = new TKRImage(this);
    m_image->SetName(QStringLiteral("Image"));
    m_image->SetKind(TKRImage::ikPicture);
    m_image->SetTransparent(true);
    m_text = new TKrText(this);
    m_text->SetName(QStringLiteral("Text"));
    m_media = new TKRMultiMedia(this);
    m_media->SetName(QStringLiteral("MultiMedia"));
}

void TKRActionCollection::Paint(QPainter *canvas, const TRect &rect)
{
    TRect inner = rect;
    if (m_frame) {
        m_frame->SetBounds(rect);
        m_frame->Paint(canvas);
        inner = m_frame->GetClipRect();
    }
    m_image->Paint(canvas, inner);
    m_text->SetBounds(inner);
    m_text->Paint(canvas);
}

void TKRActionCollection::Rotate_Mirror(TRotateFunction function, const QPoint &centre)
{
    m_image->Rotate_Mirror(function, centre);
}

void TKRActionCollection::SetFrameEnabled(bool enabled)
{
    if (enabled == (m_frame != nullptr))
        return;
    if (enabled) {
        m_frame = new TKRFrame(this);
        m_frame->SetName(QStringLiteral("Frame"));
    } else {
        delete m_frame;
        m_frame = nullptr;
    }
    if (TKrSymbol *s = Symbol())
        if (IKrDesigner *d = s->GrundI()->GetKrDesigner())
            d->RefreshElementTree();
    Validate();
}

TRect TKRActionCollection::ClipRect(const TRect &clientRect) const
{
    if (!m_frame)
        return clientRect;
    if (m_frame->GetBounds().IsEmpty()) {
        TKRFrame *f = m_frame;
        f->SetBounds(clientRect);
    }
    return m_frame->GetClipRect();
}

QList<TKrPropField> TKRActionCollection::DetailsFields() const
{
    TKrPropField frame;
    frame.property = "FrameEnabled";
    frame.caption = QStringLiteral("Frame");
    return {frame};
}
