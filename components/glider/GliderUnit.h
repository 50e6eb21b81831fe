#pragma once
// TKRGlider: a track bar. The operator sets a linked process value by dragging
// the slider along the scale (or stepping it with the arrow keys); a value that
// changes elsewhere moves the slider. The component draws only through its
// elements (frames, images, scale) and reaches the value only through its
// variable link.

#include "ChildElements.h"
#include "Krsymbols.h"
#include "LinkErrorState.h"

#include <QVariant>

class TKRGlider : public TKrGraphicControl, public IKrRotatable {
    Q_OBJECT
    Q_PROPERTY(bool Mirrored READ GetMirrored WRITE SetMirrored STORED true)
    // Read-only state for the host's inspection (not stored).
    Q_PROPERTY(QVariant LastValue READ LastValue STORED false)
    Q_PROPERTY(bool ErrorShown READ ErrorShown STORED false)
    Q_PROPERTY(int ErrorCode READ ErrorCode STORED false)
    Q_PROPERTY(int DragState READ DragState STORED false)
    Q_PROPERTY(QRect SliderRect READ SliderRect STORED false)
    Q_PROPERTY(QRect TrackRect READ TrackRect STORED false)
    Q_PROPERTY(QRect TrackArea READ TrackArea STORED false)
    Q_PROPERTY(QRect ScaleRect READ ScaleRect STORED false)

public:
    enum TDragState : quint8 { dsIdle = 0, dsMouse = 1, dsKeys = 2 };
    enum { vkLeft = 37, vkUp = 38, vkRight = 39, vkDown = 40 };

    explicit TKRGlider(TKrComponent *owner);
    ~TKRGlider() override;

    bool GetInterface(const TGUID &iid, void **obj) override;

    void Paint() override;
    void InitSymbol() override;
    void Validate() override;
    void VisibleChanged(QObject *sender) override;
    void ValidateDim() override;
    using TKrGraphicControl::SetBounds;
    void SetBounds(int left, int top, int width, int height) override;
    void MouseMove(TShiftState shift, int x, int y) override;

    // IKrRotatable
    int GetRotation() override;
    bool GetMirrored() override { return m_mirrored; }
    bool CanRotate() override { return true; }
    void Rotate_Mirror(TRotateFunction function, const QPoint &centre) override;

    void SetMirrored(bool mirrored) { m_mirrored = mirrored; }
    QVariant LastValue() const { return m_lastValue; }
    bool ErrorShown() const { return m_linkError.shown; }
    int ErrorCode() const { return m_linkError.code; }
    int DragState() const { return m_dragState; }
    QRect SliderRect() const { return m_slider.toQRect(); }
    QRect TrackRect() const { return m_trackRect.toQRect(); }
    QRect TrackArea() const { return m_trackArea.toQRect(); }
    QRect ScaleRect() const { return m_scaleRect.toQRect(); }

private:
    // Places scale, track and slider for the present size, scale and slider
    // position.
    void Layout();
    void LayoutSteps();
    bool VerticalKind() const;
    bool HorizontalKind() const;
    void ValueToSlider(double value);
    double SliderToValue() const;
    // Decimal text of a value: shortest general form, at most 15 significant
    // digits, the user's decimal separator.
    static QString ValueText(double value);
    void UpdateLinkEnable();
    bool HasPhysId() const;

    // Handlers.
    void ScaleChanged(QObject *sender);
    void DataReady(QObject *sender);
    void LinkError(QObject *sender);
    void PhysIdChanged(QObject *sender);
    void GliderMouseDown(QObject *sender, TMouseButton button, TShiftState shift, int x, int y);
    void GliderMouseMove(QObject *sender, TShiftState shift, int x, int y);
    void GliderMouseUp(QObject *sender, TMouseButton button, TShiftState shift, int x, int y);
    void KeyDown(QObject *sender, int &key, TShiftState shift);
    void KeyUp(QObject *sender, int &key, TShiftState shift);
    void KeyPress(QObject *sender, int &key);
    void StepSlider(bool towardsMaximumEnd);

    TKrKeyboard *m_keyboard = nullptr;
    TKrKeloTimer *m_link = nullptr;
    TKRFrame *m_frame = nullptr;
    TKRFrame *m_sliderFrame = nullptr;
    TKRFrame *m_trackFrame = nullptr;
    TKRScale *m_scale = nullptr;
    TKRImage *m_background = nullptr;
    TKRImage *m_sliderImage = nullptr;
    TKRImage *m_trackImage = nullptr;
    TKRImage *m_errorImage = nullptr;
    KrLinkErrorState m_linkError;
    quint8 m_dragState = dsIdle;
    qint32 m_grabX = 0;
    qint32 m_grabY = 0;
    TRect m_slider;
    TRect m_trackArea;
    qint32 m_sliderLength = 0;
    bool m_mirrored = false;
    QVariant m_lastValue;
    TRect m_scaleRect;
    TRect m_trackRect;
    // The last arrow key pushed the slider against an end of the track.
    bool m_keyPastEnd = false;
};
