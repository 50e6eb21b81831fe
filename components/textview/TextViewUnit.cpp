#include "TextViewUnit.h"

#include "KrComponentEntry.h"

#include <QDateTime>
#include <QCoreApplication>
#include <QLocale>
#include <QPainter>
#include <cmath>

KR_SYMBOL_CLASS(TKRValueText)

// Element labels are the keys of the element data in the design stream and so
// are stored untranslated; they are marked for the translation tables so that
// the designer's element tree can show them in the user's language
// (QCoreApplication::translate with the class name as context).
static QString ElementLabel(const char *label)
{
    return QString::fromLatin1(label);
}

TKRValueText::TKRValueText(TKrComponent *owner) : TKrGraphicControl(owner)
{
    OnDblClick = [this](QObject *) { m_doubleClickPending = true; };
    // The size comes first, before the elements exist.
    SetBounds(Left(), Top(), 50, 25);

    m_frame = new TKRFrame(this);
    m_frame->SetName(ElementLabel(QT_TRANSLATE_NOOP("TKRValueText", "Frame")));
    m_frame->SetBounds(ClientRect());
    m_frame->SetOnFrameChanged([this](QObject *) { FitText(); });
    m_background = new TKRImage(this);
    m_background->SetName(ElementLabel(QT_TRANSLATE_NOOP("TKRValueText", "BackGround")));
    m_background->SetKind(TKRImage::ikPicture);
    m_format = new TKrFormat(this);
    m_format->SetName(ElementLabel(QT_TRANSLATE_NOOP("TKRValueText", "Display format")));
    m_format->OnChange = [this](QObject *) {
        if (m_text)
            m_text->SetShowCaptionField(!m_format->GetEnable());
    };
    m_text = new TKrText(this);
    m_text->SetName(ElementLabel(QT_TRANSLATE_NOOP("TKRValueText", "Text format")));
    m_text->SetBounds(m_frame->GetClipRect());
    m_text->SetCaption(Name());
    m_text->SetFont(font());
    m_text->SetWordWrap(true);
    m_text->SetEditEnable(true);
    m_errorImage = new TKRImage(this);
    m_errorImage->SetName(ElementLabel(QT_TRANSLATE_NOOP("TKRValueText", "Error image")));
    m_errorImage->SetKind(TKRImage::ikOverlay);
    m_lastValue = QVariant(0);
    m_linkError.shown = false;
    m_link = new TKrKeloTimer(this);
    m_link->SetName(ElementLabel(QT_TRANSLATE_NOOP("TKRValueText", "Variable link")));
    m_link->SetOnDataReadyEvent([this](QObject *sender) { DataReady(sender); });
    m_link->SetOnPhysIdChanged([this](QObject *sender) { PhysIdChanged(sender); });
    m_link->OnError = [this](QObject *sender) { LinkError(sender); };
}

TKRValueText::~TKRValueText()
{
    OnDblClick = nullptr;
    m_link->SetOnDataReadyEvent(nullptr);
    m_link->SetOnPhysIdChanged(nullptr);
    m_link->OnError = nullptr;
    delete m_link;
    m_link = nullptr;
    delete m_text;
    m_text = nullptr;
    m_format->OnChange = nullptr;
    delete m_format;
    m_format = nullptr;
    delete m_background;
    m_background = nullptr;
    delete m_errorImage;
    m_errorImage = nullptr;
    m_frame->SetOnFrameChanged(nullptr);
    delete m_frame;
    m_frame = nullptr;
}

void TKRValueText::SetName(const QString &name)
{
    const QString old = Name();
    TKrGraphicControl::SetName(name);
    // A label that still shows the component's name follows a new name.
    if (m_text && m_text->Caption() == old && !State().testFlag(ksLoading))
        m_text->SetCaption(Name());
}

bool TKRValueText::HasPhysId() const
{
    return m_link && !m_link->GetPhysId().isEmpty();
}

void TKRValueText::UpdateLinkEnable()
{
    m_link->SetEnable(GrundI()->GetVisible() && HasPhysId());
}

int TKRValueText::DisplayMode() const
{
    if (m_format && m_format->GetEnable())
        return dmFormattedValue;
    if (m_link && m_link->Enabled())
        return dmPlainValue;
    return dmStaticText;
}

QString TKRValueText::PlainText(const QVariant &value)
{
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    switch (value.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        return QString();
    case QMetaType::Double:
    case QMetaType::Float: {
        double d = value.toDouble();
        if (d == 0)
            d = 0; // no "-0"
        return locale.toString(d, 'g', 15);
    }
    case QMetaType::QDateTime:
        return locale.toString(value.toDateTime(), QLocale::ShortFormat);
    case QMetaType::QDate:
        return locale.toString(value.toDate(), QLocale::ShortFormat);
    case QMetaType::QTime:
        return locale.toString(value.toTime(), QLocale::ShortFormat);
    default:
        break;
    }
    if (value.canConvert<QString>())
        return value.toString();
    return QString();
}

QString TKRValueText::CaptionFor(const QVariant &value) const
{
    QString caption;
    switch (DisplayMode()) {
    case dmFormattedValue:
        caption = m_format->Prefix() + m_format->VariantToStr(value) + m_format->Suffix();
        break;
    case dmPlainValue:
        caption = PlainText(value);
        break;
    default:
        return m_text->Caption();
    }
    if (caption.size() > kMaxCaption)
        caption = caption.left(kMaxCaption - 1) + QChar(0x2026);
    return caption;
}

void TKRValueText::FitText()
{
    if (!m_text)
        return;
    m_text->SetBounds(m_frame ? m_frame->GetClipRect() : ClientRect());
}

// ---------------------------------------------------------------- overrides

void TKRValueText::SetBounds(int left, int top, int width, int height)
{
    TKrGraphicControl::SetBounds(left, top, width, height);
    if (m_frame)
        m_frame->SetBounds(ClientRect());
    FitText();
}

void TKRValueText::Paint()
{
    QPainter *canvas = PaintCanvas();
    if (!canvas)
        return;
    m_frame->Paint(canvas);
    const TRect clip = m_frame->GetClipRect();
    m_background->Paint(canvas, clip);
    if (DisplayMode() != dmStaticText) {
        const QString caption = CaptionFor(m_lastValue);
        // The text's change notice would ask for another paint of what is
        // being painted now (see Validate).
        if (caption != m_text->Caption()) {
            m_painting = true;
            m_text->SetCaption(caption);
            m_painting = false;
        }
    }
    m_text->Paint(canvas);
    if (m_linkError.shown)
        m_errorImage->Paint(canvas, clip);
}

void TKRValueText::InitSymbol()
{
    TKrGraphicControl::InitSymbol();
    UpdateLinkEnable();
    FitText();
    if (GrundI()->GetVisible())
        Repaint();
}

void TKRValueText::Validate()
{
    if (GrundI()->GetVisible() && !m_painting)
        Invalidate();
}

void TKRValueText::VisibleChanged(QObject *sender)
{
    TKrGraphicControl::VisibleChanged(sender);
    UpdateLinkEnable();
    m_background->VisibleChanged(sender);
    m_errorImage->VisibleChanged(sender);
}

void TKRValueText::SaveRunTimeData(TRunTimeStream &stream)
{
    TKrGraphicControl::SaveRunTimeData(stream);
    if (m_text->EditEnable())
        stream.WriteString(m_text->Caption());
}

void TKRValueText::LoadRunTimeData(TRunTimeStream &stream)
{
    TKrGraphicControl::LoadRunTimeData(stream);
    if (m_text->EditEnable()) {
        const QString caption = stream.ReadString();
        m_text->SetCaption(caption);
        Repaint();
    }
}

void TKRValueText::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    DoubleClickEdit(shift);
    TKrGraphicControl::MouseUp(button, shift, x, y);
}

// ---------------------------------------------------------------- editing

void TKRValueText::DoubleClickEdit(TShiftState shift)
{
    if (!m_doubleClickPending)
        return;
    m_doubleClickPending = false;
    if (IsDesigning() && !shift.testFlag(ssCtrl))
        return;
    if (!m_text->EditEnable())
        return;
    if (m_format->GetEnable() || m_link->Enabled())
        m_text->DoEdit(m_format->VariantToStr(m_lastValue), [this](const QString &typed) { ApplyValue(typed); }, false);
    else
        m_text->DoEdit();
}

void TKRValueText::ApplyValue(const QString &typed)
{
    QVariant v = QVariant(typed);
    try {
        if (HasPhysId()) {
            m_link->SetValue(v);
            m_linkError.shown = m_link->GetErrorCode() != 0;
            if (!m_linkError.shown) {
                v = m_link->GetValue();
                m_linkError.shown = m_link->GetErrorCode() != 0;
                if (!m_linkError.shown)
                    m_lastValue = v;
            }
        }
    } catch (...) {
        // A value that cannot be converted or written leaves the field as it was.
    }
    Validate();
}

// ---------------------------------------------------------------- link events

void TKRValueText::DataReady(QObject *)
{
    m_linkError.StartRead();
    const QVariant value = m_link->GetInValue();
    if (m_linkError.fatal)
        return; // a fatal error arrived meanwhile
    if (m_linkError.Cleared())
        Validate();
    // A value that shows as the text already on screen needs no paint.
    const bool sameText = DisplayMode() != dmStaticText && CaptionFor(value) == m_text->Caption() && CaptionFor(m_lastValue) == m_text->Caption();
    try {
        m_lastValue = value;
    } catch (...) {
    }
    if (!sameText)
        Validate();
}

void TKRValueText::LinkError(QObject *)
{
    m_linkError.Take(*m_link);
    Validate();
}

void TKRValueText::PhysIdChanged(QObject *)
{
    if (!GrundI()->GetVisible())
        return;
    m_linkError.Follow(*m_link, HasPhysId());
    Validate();
}
