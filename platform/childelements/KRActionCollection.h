#pragma once
// TKRActionCollection: the look of one state of a symbol: a frame ("Frame",
// present only while FrameEnabled), a picture ("Image"), a text ("Text") and a
// clip ("MultiMedia"). Paint draws the frame into the rectangle, then the
// picture and the text into the frame's clip rectangle (the whole rectangle
// without a frame).

#include "ChildElementsGlobal.h"
#include "KRFrame.h"
#include "KRImage.h"
#include "KRMultiMedia.h"
#include "KrText.h"

class KRCE_EXPORT TKRActionCollection : public TKrChild {
    Q_OBJECT
    Q_PROPERTY(bool FrameEnabled READ GetFrameEnabled WRITE SetFrameEnabled)

public:
    explicit TKRActionCollection(TKrComponent *owner);

    void Paint(QPainter *canvas, const TRect &rect);
    void Rotate_Mirror(TRotateFunction function, const QPoint &centre);
    // Creates (true) or frees (false) the frame.
    void SetFrameEnabled(bool enabled);
    bool GetFrameEnabled() const { return m_frame != nullptr; }

    TKRFrame *GetFrame() const { return m_frame; }
    TKRImage *GetImage() const { return m_image; }
    TKrText *GetText() const { return m_text; }
    TKRMultiMedia *GetMultiMedia() const { return m_media; }
    // Where the state's clip plays: the frame's clip rectangle after the last
    // paint, or clientRect without a frame.
    TRect ClipRect(const TRect &clientRect) const;

    QList<TKrPropField> DetailsFields() const override;

private:
    TKRFrame *m_frame = nullptr;
    TKRImage *m_image = nullptr;
    TKrText *m_text = nullptr;
    TKRMultiMedia *m_media = nullptr;
};
