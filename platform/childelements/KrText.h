#pragma once
// TKrText: a caption drawn into a rectangle, editable by the operator at run
// time when EditEnable is set. DoEdit opens an edit box over the text's
// rectangle on its symbol: Return (or leaving the box) takes the text, Escape
// drops it. While the box is open the text reports its edit flag (IsEditing).

#include "ChildElementsGlobal.h"
#include "Krchild.h"

#include <QFont>
#include <QPointer>

#include <QLineEdit>
class QPainter;

class KRCE_EXPORT TKrText : public TKrChild {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QString Font READ FontText WRITE SetFontText)
    Q_PROPERTY(uint Color READ GetColor WRITE SetColor)
    Q_PROPERTY(int Alignment READ GetAlignment WRITE SetAlignment)
    Q_PROPERTY(bool WordWrap READ GetWordWrap WRITE SetWordWrap)
    Q_PROPERTY(bool EditEnable READ EditEnable WRITE SetEditEnable)

public:
    enum { taLeft = 0, taCenter = 1, taRight = 2 };
    using TEditDone = std::function<void(const QString &text)>;

    explicit TKrText(TKrComponent *owner);
    ~TKrText() override;

    void SetBounds(const TRect &r);
    TRect GetBounds() const { return m_bounds; }
    void Paint(QPainter *canvas);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString &caption);
    QFont GetFont() const { return m_font; }
    void SetFont(const QFont &font);
    QString FontText() const { return m_font.toString(); }
    void SetFontText(const QString &text);
    TColor GetColor() const { return m_color; }
    void SetColor(TColor c);
    int GetAlignment() const { return m_alignment; }
    void SetAlignment(int a);
    bool GetWordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool wrap);
    bool EditEnable() const { return m_editEnable; }
    void SetEditEnable(bool enable);
    // Which fields the property page offers.
    void SetShowCaptionField(bool show) { m_showCaptionField = show; }
    void SetShowEditEnableField(bool show) { m_showEditEnableField = show; }
    bool ShowCaptionField() const { return m_showCaptionField; }
    bool ShowEditEnableField() const { return m_showEditEnableField; }

    // Edits the caption itself; false when editing is not enabled.
    bool DoEdit();
    // Edits startText and hands the result to done (the caption is not changed);
    // multiLine is kept for the designer's multi-line editor and not used here.
    bool DoEdit(const QString &startText, TEditDone done, bool multiLine);
    // The edit flag: an edit box is open.
    bool IsEditing() const { return m_editor != nullptr; }
    QLineEdit *Editor() const;
    // Ends an open edit: accept takes the text, else it is dropped.
    void FinishEdit(bool accept);

    QList<TKrPropField> DetailsFields() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool OpenEditor(const QString &text, TEditDone done);
    TRect m_bounds;
    QString m_caption;
    QFont m_font;
    TColor m_color = clWindowText;
    int m_alignment = taCenter;
    bool m_wordWrap = false;
    bool m_editEnable = false;
    bool m_showCaptionField = true;
    bool m_showEditEnableField = true;
    QPointer<QLineEdit> m_editor;
    TEditDone m_done;
    bool m_finishing = false;
};
