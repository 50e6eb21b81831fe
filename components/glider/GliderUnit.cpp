#include "GliderUnit.h"

#include "Divunit.h"
#include "KrComponentEntry.h"

#include <QCoreApplication>
#include <QLocale>
#include <QPainter>
#include <cfenv>
#include <cmath>
#include <limits>

KR_SYMBOL_CLASS(TKRGlider)

// Element labels are the keys of the element data in the design stream and so
// are stored untranslated; they are marked for the translation tables so that
// the designer's element tree can show them in the user's language
// (QCoreApplication::translate with the class name as context).
static QString ElementLabel(const char *label)
{
    return QString::fromLatin1(label);
}

namespace {

// Nearest integer, ties to even.
int RoundEven(double v)
{
    if (!std::isfinite(v))
        return 0;
    v = std::nearbyint(qBound(double(std::numeric_limits<int>::min()), v, double(std::numeric_limits<int>::max())));
    return int(v);
}

// The part of src that sub does not cover, when sub spans src completely in one
// direction; src itself otherwise. An empty result is (0, 0, 0, 0).
TRect SubtractRect(const TRect &src, const TRect &sub)
{
    TRect r = src;
    const bool spansH = sub.Left <= src.Left && sub.Right >= src.Right;
    const bool spansV = sub.Top <= src.Top && sub.Bottom >= src.Bottom;
    const bool meets = sub.Left < src.Right && sub.Right > src.Left && sub.Top < src.Bottom && sub.Bottom > src.Top;
    if (meets) {
        if (spansH && spansV) {
            r = TRect();
        } else if (spansH) {
            if (sub.Top <= src.Top)
                r.Top = sub.Bottom;
            else if (sub.Bottom >= src.Bottom)
                r.Bottom = sub.Top;
        } else if (spansV) {
            if (sub.Left <= src.Left)
                r.Left = sub.Right;
            else if (sub.Right >= src.Right)
                r.Right = sub.Left;
        }
    }
    if (r.IsEmpty())
        return TRect();
    return r;
}

// A value read from the link as a number. Texts are read in the user's or the
// C locale; dates, lists, empty and other values are no number.
bool NumberOf(const QVariant &v, double *out)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
        *out = v.toBool() ? 1.0 : 0.0;
        return true;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        *out = v.toDouble();
        return true;
    case QMetaType::QString: {
        const QString text = v.toString().trimmed();
        if (text.isEmpty() || text.size() > 64)
            return false;
        bool ok = false;
        double d = QLocale::system().toDouble(text, &ok);
        if (!ok)
            d = QLocale::c().toDouble(text, &ok);
        if (ok)
            *out = d;
        return ok;
    }
    default:
        return false;
    }
}

} // namespace

TKRGlider::TKRGlider(TKrComponent *owner) : TKrGraphicControl(owner)
{
    m_lastValue = QVariant();

    m_frame = new TKRFrame(this);
    m_frame->SetName(ElementLabel(QT_TRANSLATE_NOOP("TKRGlider", "Frame")));
    m_background = new TKRImage(this);
    m_background->SetName(ElementLabel(QT_TRANSLATE_NOOP("TKRGlider", "BackGround")));
    m_background->SetKind(TKRImage::ikPicture);
    m_sliderImage = new TKRImage(this);
    m_sliderImage->SetName(ElementLabel(QT_TRANSLATE_NOOP("TKRGlider", "Slider image")));
    m_sliderImage->SetKind(TKRImage::ikPicture);
    m_sliderFrame = new TKRFrame(this);
    m_sliderFrame->SetName(ElementLabel(QT_TRANSLATE_NOOP("TKRGlider", "Slider frame")));
    m_sliderFrame->SetStyle(TKRFrame::fsRaised);
    m_trackFrame = new TKRFrame(this);
    m_trackFrame->SetName(ElementLabel(QT_TRANSLATE_NOOP("TKRGlider", "Track frame")));
    m_trackFrame->SetStyle(TKRFrame::fsLowered);
    m_trackFrame->SetBorderWidth(1);
    m_trackImage = new TKRImage(this);
    m_trackImage->SetName(ElementLabel(QT_TRANSLATE_NOOP("TKRGlider", "Track image")));
    m_trackImage->SetKind(TKRImage::ikPicture);
    m_trackImage->SetColor(clBtnShadow);
    m_errorImage = new TKRImage(this);
    m_errorImage->SetName(ElementLabel(QT_TRANSLATE_NOOP("TKRGlider", "Error image")));
    m_errorImage->SetKind(TKRImage::ikOverlay);
    m_scale = new TKRScale(this);
    m_scale->SetName(ElementLabel(QT_TRANSLATE_NOOP("TKRGlider", "Scale")));
    m_scale->SetShowJointInterface(true);
    m_scale->SetOnScaleChanged([this](QObject *sender) { ScaleChanged(sender); });
    m_link = new TKrKeloTimer(this);
    m_link->SetName(ElementLabel(QT_TRANSLATE_NOOP("TKRGlider", "Variable link")));
    m_link->OnError = [this](QObject *sender) { LinkError(sender); };
    m_link->SetOnPhysIdChanged([this](QObject *sender) { PhysIdChanged(sender); });
    m_link->SetOnDataReadyEvent([this](QObject *sender) { DataReady(sender); });

    OnMouseDown = [this](QObject *sender, TMouseButton button, TShiftState shift, int x, int y) {
        GliderMouseDown(sender, button, shift, x, y);
    };
    OnMouseMove = [this](QObject *sender, TShiftState shift, int x, int y) { GliderMouseMove(sender, shift, x, y); };
    OnMouseUp = [this](QObject *sender, TMouseButton button, TShiftState shift, int x, int y) {
        GliderMouseUp(sender, button, shift, x, y);
    };
    m_lastValue = QVariant(0);
}

TKRGlider::~TKRGlider()
{
    // The events of the elements point back at this object: drop them before
    // the elements go.
    OnMouseDown = nullptr;
    OnMouseMove = nullptr;
    OnMouseUp = nullptr;
    if (m_keyboard) {
        m_keyboard->OnKeyDown = nullptr;
        m_keyboard->OnKeyUp = nullptr;
        m_keyboard->OnKeyPress = nullptr;
    }
    m_scale->SetOnScaleChanged(nullptr);
    delete m_frame;
    delete m_sliderFrame;
    delete m_trackFrame;
    delete m_scale;
    delete m_background;
    delete m_sliderImage;
    delete m_trackImage;
    delete m_errorImage;
    m_link->OnError = nullptr;
    m_link->SetOnPhysIdChanged(nullptr);
    m_link->SetOnDataReadyEvent(nullptr);
    delete m_link;
    // The keyboard element goes with its owner.
}

bool TKRGlider::GetInterface(const TGUID &iid, void **obj)
{
    KR_OFFER_INTERFACE(IKrRotatable)
    return TKrGraphicControl::GetInterface(iid, obj);
}

bool TKRGlider::VerticalKind() const
{
    const int k = m_scale->GetAxisKind();
    return k == 0 || k == 2;
}

bool TKRGlider::HorizontalKind() const
{
    const int k = m_scale->GetAxisKind();
    return k == 1 || k == 3;
}

bool TKRGlider::HasPhysId() const
{
    return m_link && !m_link->GetPhysId().isEmpty();
}

void TKRGlider::UpdateLinkEnable()
{
    m_link->SetEnable(GrundI()->GetVisible() && HasPhysId());
}

// ---------------------------------------------------------------- layout

void TKRGlider::Layout()
{
    if (!m_frame || !m_scale || !m_sliderFrame)
        return; // still being constructed
    try {
        LayoutSteps();
    } catch (...) {
        // The rectangles stay as far as they got.
    }
}

void TKRGlider::LayoutSteps()
{
    const TRect client = ClientRect();
    m_frame->SetBounds(client);
    const TRect inner = m_frame->GetClipRect();

    m_scaleRect = inner;
    m_scale->SetBounds(m_scaleRect);
    TRect S = m_scale->GetOuterRect();
    m_trackArea = client;
    TRect band = inner;
    TRect C = inner;
    const int kind = m_scale->GetAxisKind();

    if (m_scale->GetVisible()) {
        TRect A;
        switch (kind) {
        case 0:
            m_scaleRect = TRect(inner.Left, S.Top, inner.Left + S.Width(), S.Bottom);
            m_scale->SetBounds(m_scaleRect);
            A = m_scale->GetAxisRect();
            C = TRect(inner.Left, A.Top, inner.Right, A.Bottom);
            break;
        case 2:
            m_scaleRect = TRect(inner.Right - S.Width(), S.Top, inner.Right, S.Bottom);
            m_scale->SetBounds(m_scaleRect);
            A = m_scale->GetAxisRect();
            C = TRect(inner.Left, A.Top, inner.Right, A.Bottom);
            break;
        case 1:
            m_scaleRect = TRect(inner.Left, inner.Top, inner.Right, inner.Top + S.Height());
            m_scale->SetBounds(m_scaleRect);
            A = m_scale->GetAxisRect();
            C = TRect(A.Left, inner.Top, A.Right, inner.Bottom);
            break;
        case 3:
            m_scaleRect = TRect(inner.Left, inner.Bottom - S.Height(), inner.Right, inner.Bottom);
            m_scale->SetBounds(m_scaleRect);
            A = m_scale->GetAxisRect();
            C = TRect(A.Left, inner.Top, A.Right, inner.Bottom);
            break;
        default:
            break;
        }
    }

    // The band beside the scale.
    const TRect diff = SubtractRect(C, m_scaleRect);
    if (!diff.IsEmpty())
        band = diff;
    else if (m_scale->GetVisible())
        band = TRect();

    // Align the scale to the slider so that the slider's centre reaches both
    // ends of the axis while the slider stays inside.
    S = m_scale->GetOuterRect();
    TRect A = m_scale->GetAxisRect();
    const TRect sliderNow = m_sliderFrame->GetBounds();
    if (VerticalKind()) {
        const int half = sliderNow.Height() / 2 + m_trackArea.Top;
        const int margin = A.Top - S.Top;
        if (half >= margin)
            m_scale->SetBounds(TRect(S.Left, half - margin, S.Right, height() - half + margin));
    } else if (HorizontalKind()) {
        const int half = sliderNow.Width() / 2 + m_trackArea.Left;
        const int margin = A.Left - S.Left;
        if (half >= margin)
            m_scale->SetBounds(TRect(half - margin, S.Top, width() - half + margin, S.Bottom));
    }
    m_scaleRect = m_scale->GetOuterRect();
    A = m_scale->GetAxisRect();

    const int direction = m_scale->GetDirection();
    if (direction == 0 || direction == 1) {
        const int L = band.Width() / 2;
        const int q = RoundEven(L * 0.25);
        m_trackRect = TRect(band.Left + L - q, A.Top, band.Left + L + q, A.Bottom);
        m_trackArea = band;
        m_sliderLength = L;
        if (m_trackRect.Top - L / 2 > m_slider.Top) {
            m_slider.Top = m_trackRect.Top - L / 2;
            m_slider.Bottom = m_slider.Top + L;
        }
        const int m = RoundEven(L * 0.05);
        m_slider = TRect(band.Left + m, m_slider.Top, band.Right - m, m_slider.Top + L);
        if (m_trackRect.Bottom + L / 2 < m_slider.Bottom) {
            m_slider.Bottom = m_trackRect.Bottom + L / 2;
            m_slider.Top = m_slider.Bottom - L;
        }
    } else if (direction == 2 || direction == 3) {
        const int L = band.Height() / 2;
        const int q = RoundEven(L * 0.25);
        m_trackRect = TRect(A.Left, band.Top + L - q, A.Right, band.Top + L + q);
        m_trackArea = band;
        m_sliderLength = L;
        if (m_trackRect.Left - L / 2 > m_slider.Left) {
            m_slider.Left = m_trackRect.Left - L / 2;
            m_slider.Right = m_slider.Left + L;
        }
        const int m = RoundEven(L * 0.05);
        m_slider = TRect(m_slider.Left, band.Top + m, m_slider.Left + L, band.Bottom - m);
        if (m_trackRect.Right + L / 2 < m_slider.Right) {
            m_slider.Right = m_trackRect.Right + L / 2;
            m_slider.Left = m_slider.Right - L;
        }
    }
    // The host repaints later; the frames carry the new rectangles at once so
    // that a value taken from the slider before the next paint is the one shown.
    m_trackFrame->SetBounds(m_trackRect);
    m_sliderFrame->SetBounds(m_slider);
}

void TKRGlider::ValueToSlider(double value)
{
    const int p = m_scale->ValueToPos(value);
    if (VerticalKind()) {
        const int L = m_trackArea.Width() / 2;
        m_sliderLength = L;
        m_slider.Top = p - L / 2;
    } else if (HorizontalKind()) {
        const int L = m_trackArea.Height() / 2;
        m_sliderLength = L;
        m_slider.Left = p - L / 2;
    } else {
        return;
    }
    const TRect before = m_sliderFrame->GetBounds();
    Layout();
    // A value that moves the slider by less than a pixel changes nothing on
    // screen: no paint for it (a page of polling bars would repaint for
    // every small swing of a flow otherwise).
    if (m_slider != before)
        Repaint();
}

double TKRGlider::SliderToValue() const
{
    const TRect s = m_sliderFrame->GetBounds();
    if (VerticalKind())
        return m_scale->PosToValue(s.Top + s.Height() / 2);
    if (HorizontalKind())
        return m_scale->PosToValue(s.Left + s.Width() / 2);
    return 0;
}

QString TKRGlider::ValueText(double value)
{
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    if (value == 0)
        value = 0; // no "-0"
    return locale.toString(value, 'g', 15);
}

// ---------------------------------------------------------------- overrides

void TKRGlider::SetBounds(int left, int top, int width, int height)
{
    TKrGraphicControl::SetBounds(left, top, width, height);
    Layout();
}

void TKRGlider::Paint()
{
    QPainter *canvas = PaintCanvas();
    if (!canvas)
        return;
    m_frame->Paint(canvas);
    m_background->Paint(canvas, m_frame->GetClipRect());
    // The scale lies there since the last layout unless something moved it.
    if (m_scale->GetOuterRect() != m_scaleRect)
        m_scale->SetBounds(m_scaleRect);
    m_scale->Paint(canvas);
    m_trackFrame->SetBounds(m_trackRect);
    m_trackFrame->Paint(canvas);
    m_trackImage->Paint(canvas, m_trackFrame->GetClipRect());
    m_sliderFrame->SetBounds(m_slider);
    m_sliderFrame->Paint(canvas);
    m_sliderImage->Paint(canvas, m_sliderFrame->GetClipRect());
    if (m_linkError.shown)
        m_errorImage->Paint(canvas, ClientRect());
}

void TKRGlider::InitSymbol()
{
    TKrGraphicControl::InitSymbol();
    UpdateLinkEnable();
    ScaleChanged(this);
    if (!m_keyboard) {
        m_keyboard = new TKrKeyboard(this);
        m_keyboard->SetOnKeyDown([this](QObject *sender, int &key, TShiftState shift) { KeyDown(sender, key, shift); });
        m_keyboard->SetOnKeyUp([this](QObject *sender, int &key, TShiftState shift) { KeyUp(sender, key, shift); });
        m_keyboard->SetOnKeyPress([this](QObject *sender, int &key) { KeyPress(sender, key); });
    }
    m_trackArea = ClientRect();
    Layout();
    m_lastValue = QVariant();
    if (m_link->Enabled())
        m_link->DoRead();
    Invalidate();
}

void TKRGlider::Validate()
{
    Layout();
    TKrGraphicControl::Validate();
    Invalidate();
}

void TKRGlider::VisibleChanged(QObject *sender)
{
    TKrGraphicControl::VisibleChanged(sender);
    m_background->VisibleChanged(this);
    m_errorImage->VisibleChanged(this);
    UpdateLinkEnable();
}

void TKRGlider::ValidateDim()
{
    TKrGraphicControl::ValidateDim();
    Layout();
    m_lastValue = QVariant();
    if (HasPhysId())
        m_link->DoRead();
}

void TKRGlider::MouseMove(TShiftState shift, int x, int y)
{
    TKrGraphicControl::MouseMove(shift, x, y);
    SetCursorCode(m_slider.Contains(x, y) ? crHandPoint : crDefault);
}

// ---------------------------------------------------------------- rotation

int TKRGlider::GetRotation()
{
    switch (m_scale->GetDirection()) {
    case 1: return 180;
    case 2: return 90;
    case 3: return 270;
    default: return 0;
    }
}

void TKRGlider::Rotate_Mirror(TRotateFunction function, const QPoint &centre)
{
    m_background->Rotate_Mirror(function, centre);
    m_scale->Rotate_Mirror(function, centre);
    m_sliderImage->Rotate_Mirror(function, centre);
    m_trackImage->Rotate_Mirror(function, centre);
    m_errorImage->Rotate_Mirror(function, centre);

    if (function == rfMirrorHorizontal || function == rfMirrorVertical)
        m_mirrored = !m_mirrored;
    SetBounds(RotatedBounds(function, centre));

    m_lastValue = QVariant();
    if (HasPhysId())
        m_link->DoRead();
    Layout();
    if (IKrDesigner *d = GrundI()->GetKrDesigner())
        d->Modified(true);
}

// ---------------------------------------------------------------- handlers

void TKRGlider::ScaleChanged(QObject *)
{
    Layout();
    Repaint();
}

void TKRGlider::DataReady(QObject *)
{
    m_linkError.StartRead();
    const QVariant value = m_link->GetInValue();
    if (m_linkError.fatal)
        return; // a fatal error arrived meanwhile
    if (m_linkError.Cleared())
        Repaint();
    if (value != m_lastValue) {
        m_lastValue = value;
        const int kind = m_scale->GetAxisKind();
        if (m_dragState == dsIdle && kind >= 0 && kind <= 3) {
            double d = 0;
            if (!NumberOf(value, &d) || std::isnan(d))
                return; // no number: the slider stays where it is
            if (std::isinf(d))
                d = d > 0 ? qMax(m_scale->GetMin(), m_scale->GetMax()) : qMin(m_scale->GetMin(), m_scale->GetMax());
            ValueToSlider(d);
        }
    }
}

void TKRGlider::LinkError(QObject *)
{
    m_linkError.Take(*m_link);
    Repaint();
}

void TKRGlider::PhysIdChanged(QObject *)
{
    if (!GrundI()->GetVisible())
        return;
    m_linkError.Follow(*m_link, HasPhysId());
    Repaint();
}

void TKRGlider::GliderMouseDown(QObject *, TMouseButton button, TShiftState, int x, int y)
{
    if (GetBlockClicks())
        return;
    if (m_keyboard)
        m_keyboard->Activate();
    if (button != mbLeft)
        return;
    if (!m_slider.Contains(x, y))
        return;
    m_dragState = dsMouse;
    if (VerticalKind())
        m_grabY = y - m_slider.Top;
    else if (HorizontalKind())
        m_grabX = x - m_slider.Left;
}

void TKRGlider::GliderMouseMove(QObject *, TShiftState, int x, int y)
{
    if (m_dragState != dsMouse)
        return;
    if (!ClientRect().Contains(x - m_grabX, y - m_grabY))
        return;
    if (VerticalKind()) {
        m_slider.Top = y - m_grabY;
        m_sliderLength = m_trackArea.Width() / 2;
    } else if (HorizontalKind()) {
        m_slider.Left = x - m_grabX;
        m_sliderLength = m_trackArea.Height() / 2;
    } else {
        return;
    }
    Layout();
    Repaint();
}

void TKRGlider::GliderMouseUp(QObject *, TMouseButton button, TShiftState, int, int)
{
    if (button != mbLeft || m_dragState != dsMouse)
        return;
    m_dragState = dsIdle;
    Repaint();
    if (!VerticalKind() && !HorizontalKind())
        return; // such a scale neither moves nor writes
    const QString text = ValueText(SliderToValue());
    m_link->SetInValue(text);
    m_lastValue = text;
    if (HasPhysId())
        m_link->DoWrite();
}

void TKRGlider::StepSlider(bool towardsMaximumEnd)
{
    const TRect A = m_scale->GetAxisRect();
    const double range = m_scale->GetMax() - m_scale->GetMin();
    double axisLength = 0;
    if (VerticalKind())
        axisLength = A.Bottom - A.Top;
    else if (HorizontalKind())
        axisLength = A.Right - A.Left;
    else
        return;
    // A scale without span (minimum equal to maximum) steps a pixel at a time;
    // no step is longer than the axis.
    int step = 1;
    if (range != 0)
        step = RoundEven(qBound(1.0, axisLength / range, qMax(1.0, axisLength)));
    m_dragState = dsKeys;
    int wanted = 0;
    if (VerticalKind()) {
        m_slider.Top += towardsMaximumEnd ? -step : step;
        wanted = m_slider.Top;
        m_sliderLength = m_trackArea.Width() / 2;
    } else {
        m_slider.Left += towardsMaximumEnd ? step : -step;
        wanted = m_slider.Left;
        m_sliderLength = m_trackArea.Height() / 2;
    }
    Layout();
    // The layout held the slider at the end of the track: the key went past
    // that end (with a slider of odd length the centre stops a pixel short of
    // it, so the position alone would not tell).
    m_keyPastEnd = (VerticalKind() ? m_slider.Top : m_slider.Left) != wanted;
    Repaint();
}

void TKRGlider::KeyDown(QObject *, int &key, TShiftState)
{
    if (key == vkUp || key == vkRight)
        StepSlider(true);
    else if (key == vkDown || key == vkLeft)
        StepSlider(false);
}

void TKRGlider::KeyUp(QObject *, int &key, TShiftState)
{
    if (key != vkUp && key != vkRight && key != vkDown && key != vkLeft)
        return;
    if (!VerticalKind() && !HorizontalKind()) {
        m_dragState = dsIdle;
        return; // such a scale neither moves nor writes
    }
    // Clamped to the scale's span (whichever of minimum and maximum is larger
    // is its upper end).
    const double lower = qMin(m_scale->GetMin(), m_scale->GetMax());
    const double upper = qMax(m_scale->GetMin(), m_scale->GetMax());
    // A key that pushed the slider past an end writes exactly that end.
    double value = SliderToValue();
    const bool towardsMaximumEnd = key == vkUp || key == vkRight;
    if (m_keyPastEnd)
        value = m_scale->PosToValue(VerticalKind() ? (towardsMaximumEnd ? m_trackRect.Top : m_trackRect.Bottom)
                                                   : (towardsMaximumEnd ? m_trackRect.Right : m_trackRect.Left));
    if (towardsMaximumEnd) {
        if (value > upper)
            value = upper;
    } else {
        if (value < lower)
            value = lower;
    }
    m_keyPastEnd = false;
    m_link->SetInValue(QVariant(value));
    m_lastValue = ValueText(value);
    if (HasPhysId())
        m_link->DoWrite();
    Repaint();
    m_dragState = dsIdle;
}

void TKRGlider::KeyPress(QObject *, int &) {}
