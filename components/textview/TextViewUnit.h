#pragma once
// TKRValueText: a text field that shows the value of a linked process variable,
// formatted by its display format, or, with neither variable nor format, a
// static label. A double click lets the operator type a new value (written to
// the variable and read back) or a new label (kept in the run-time data).

#include "ChildElements.h"
#include "Krsymbols.h"
#include "LinkErrorState.h"

#include <QVariant>

class TKRValueText : public TKrGraphicControl {
    Q_OBJECT
    // Read-only state for the host's inspection (not stored).
    Q_PROPERTY(QVariant LastValue READ LastValue STORED false)
    Q_PROPERTY(bool ErrorShown READ ErrorShown STORED false)
    Q_PROPERTY(int ErrorCode READ ErrorCode STORED false)
    Q_PROPERTY(int DisplayMode READ DisplayMode STORED false)

public:
    // The display modes.
    enum { dmStaticText = 0, dmPlainValue = 1, dmFormattedValue = 2 };
    // The longest caption drawn; longer values are cut and end in an ellipsis.
    static constexpr int kMaxCaption = 1024;

    explicit TKRValueText(TKrComponent *owner);
    ~TKRValueText() override;

    void SetName(const QString &name) override;
    using TKrGraphicControl::SetBounds;
    void SetBounds(int left, int top, int width, int height) override;
    void Paint() override;
    void InitSymbol() override;
    void Validate() override;
    void VisibleChanged(QObject *sender) override;
    void SaveRunTimeData(TRunTimeStream &stream) override;
    void LoadRunTimeData(TRunTimeStream &stream) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

    QVariant LastValue() const { return m_lastValue; }
    bool ErrorShown() const { return m_linkError.shown; }
    int ErrorCode() const { return m_linkError.code; }
    int DisplayMode() const;

    // A value as plain text: numbers in the shortest general form with at most
    // 15 significant digits and the user's decimal separator, dates in the
    // user's short form, texts as they are, nothing for an empty value.
    static QString PlainText(const QVariant &value);

private:
    // The caption of a value in the present display mode (the text's own
    // caption in static-text mode).
    QString CaptionFor(const QVariant &value) const;
    void FitText();
    bool HasPhysId() const;
    void UpdateLinkEnable();
    void DoubleClickEdit(TShiftState shift);
    void ApplyValue(const QString &typed);
    void DataReady(QObject *sender);
    void LinkError(QObject *sender);
    void PhysIdChanged(QObject *sender);

    QVariant m_lastValue;
    TKrKeloTimer *m_link = nullptr;
    KrLinkErrorState m_linkError;
    TKRImage *m_background = nullptr;
    TKRImage *m_errorImage = nullptr;
    TKrText *m_text = nullptr;
    TKrFormat *m_format = nullptr;
    TKRFrame *m_frame = nullptr;
    bool m_doubleClickPending = false;
    // Paint is setting the caption for the display mode.
    bool m_painting = false;
};
