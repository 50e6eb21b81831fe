#pragma once
// A component used by the tests: a window-less symbol with published
// properties, the common elements and an optional variable link, turned and
// mirrored like the product's buttons.

#include "ChildElements.h"
#include "Krsymbols.h"

class TKRTestSymbol : public TKrGraphicControl, public IKrRotatable {
    Q_OBJECT
    Q_PROPERTY(int RotDeg READ GetRotation WRITE SetRotDeg)
    Q_PROPERTY(bool RotMirr READ GetMirrored WRITE SetRotMirr)
    Q_PROPERTY(double Level READ Level WRITE SetLevel)
    Q_PROPERTY(QString Note READ Note WRITE SetNote)
    Q_PROPERTY(bool EnableVariableLink READ EnableVariableLink WRITE SetEnableVariableLink)
    Q_PROPERTY(QVariant LastValue READ LastValue STORED false)
    Q_PROPERTY(int DataReadyCount READ DataReadyCount STORED false)
    Q_PROPERTY(int ErrorCount READ ErrorCount STORED false)
    Q_PROPERTY(int VisibleChanges READ VisibleChanges STORED false)
    Q_PROPERTY(int Layouts READ Layouts STORED false)
    Q_PROPERTY(QRect TextBounds READ TextBounds STORED false)

public:
    explicit TKRTestSymbol(TKrComponent *owner);
    ~TKRTestSymbol() override;

    bool GetInterface(const TGUID &iid, void **obj) override;

    void Paint() override;
    // Lays out frame and text for the new size, as components with inner parts do.
    using TKrGraphicControl::SetBounds;
    void SetBounds(int left, int top, int width, int height) override;
    void InitSymbol() override;
    void VisibleChanged(QObject *sender) override;
    void SaveRunTimeData(TRunTimeStream &stream) override;
    void LoadRunTimeData(TRunTimeStream &stream) override;

    // IKrRotatable
    int GetRotation() override { return m_rotDeg; }
    bool GetMirrored() override { return m_rotMirr; }
    bool CanRotate() override { return true; }
    void Rotate_Mirror(TRotateFunction function, const QPoint &centre) override;

    void SetRotDeg(int d) { m_rotDeg = ((d % 360) + 360) % 360; }
    void SetRotMirr(bool m) { m_rotMirr = m; }
    double Level() const { return m_level; }
    void SetLevel(double l) { m_level = l; }
    QString Note() const { return m_note; }
    void SetNote(const QString &n) { m_note = n; }
    bool EnableVariableLink() const { return m_link != nullptr; }
    void SetEnableVariableLink(bool on);
    QVariant LastValue() const { return m_lastValue; }
    int DataReadyCount() const { return m_dataReady; }
    int ErrorCount() const { return m_errors; }
    int VisibleChanges() const { return m_visibleChanges; }
    int Layouts() const { return m_layouts; }
    QRect TextBounds() const { return m_text->GetBounds().toQRect(); }

private:
    TKRFrame *m_frame;
    TKRImage *m_image;
    TKrText *m_text;
    TKRInOutFunction *m_function;
    TKrKeloTimer *m_link = nullptr;
    int m_rotDeg = 0;
    bool m_rotMirr = false;
    double m_level = 0;
    QString m_note;
    QVariant m_lastValue;
    int m_dataReady = 0;
    int m_errors = 0;
    int m_visibleChanges = 0;
    int m_layouts = 0;
};
