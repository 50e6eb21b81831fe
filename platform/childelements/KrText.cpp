#include "KrText.h"

#include "Krpropertypage.h"
#include "Krsymbols.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

TKrText::TKrText(TKrComponent *owner) : TKrChild(owner) {}

TKrText::~TKrText()
{
    delete m_editor.data();
}

void TKrText::SetBounds(const TRect &r)
{
    m_bounds = r;
    if (m_editor)
        m_editor->setGeometry(r.toQRect());
}

void TKrText::Paint(QPainter *canvas)
{
    if (!canvas || m_bounds.IsEmpty() || m_caption.isEmpty() || m_editor)
        return;
    canvas->save();
    canvas->setFont(m_font);
    canvas->setPen(KrColor(m_color));
    int flags = Qt::AlignVCenter;
    flags |= m_alignment == taLeft ? Qt::AlignLeft : (m_alignment == taRight ? Qt::AlignRight : Qt::AlignHCenter);
    if (m_wordWrap)
        flags |= Qt::TextWordWrap;
    canvas->setClipRect(m_bounds.toQRect(), Qt::IntersectClip);
    canvas->drawText(m_bounds.toQRect(), flags, m_caption);
    canvas->restore();
}

void TKrText::SetCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    Validate();
}

void TKrText::SetFont(const QFont &font)
{
    m_font = font;
    Validate();
}

void TKrText::SetFontText(const QString &text)
{
    QFont f;
    if (!text.isEmpty() && f.fromString(text))
        SetFont(f);
}

void TKrText::SetColor(TColor c)
{
    m_color = c;
    Validate();
}

void TKrText::SetAlignment(int a)
{
    m_alignment = (a >= taLeft && a <= taRight) ? a : taCenter;
    Validate();
}

void TKrText::SetWordWrap(bool wrap)
{
    m_wordWrap = wrap;
    Validate();
}

void TKrText::SetEditEnable(bool enable)
{
    m_editEnable = enable;
}

bool TKrText::DoEdit()
{
    if (!m_editEnable)
        return false;
    return OpenEditor(m_caption, [this](const QString &text) { SetCaption(text); });
}

bool TKrText::DoEdit(const QString &startText, TEditDone done, bool)
{
    return OpenEditor(startText, std::move(done));
}

bool TKrText::OpenEditor(const QString &text, TEditDone done)
{
    QWidget *host = OwnerWidget();
    if (!host || m_editor)
        return false;
    auto *edit = new QLineEdit(host);
    edit->setFont(m_font);
    edit->setText(text);
    edit->selectAll();
    TRect r = m_bounds.IsEmpty() ? TRect(0, 0, host->width(), host->height()) : m_bounds;
    edit->setGeometry(r.toQRect());
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::returnPressed, this, [this]() { FinishEdit(true); });
    connect(edit, &QLineEdit::editingFinished, this, [this]() { FinishEdit(true); });
    m_editor = edit;
    m_done = std::move(done);
    edit->show();
    edit->setFocus();
    Validate();
    return true;
}

QLineEdit *TKrText::Editor() const
{
    return m_editor;
}

void TKrText::FinishEdit(bool accept)
{
    if (!m_editor || m_finishing)
        return;
    m_finishing = true;
    const QString text = m_editor->text();
    QLineEdit *edit = m_editor;
    m_editor = nullptr;
    edit->removeEventFilter(this);
    edit->hide();
    edit->deleteLater();
    TEditDone done = std::move(m_done);
    m_done = nullptr;
    m_finishing = false;
    if (accept && done)
        done(text);
    Validate();
}

bool TKrText::eventFilter(QObject *watched, QEvent *event)
{
    // The type first: the editor is also watched while it is being destroyed.
    if (event->type() == QEvent::KeyPress && watched == m_editor) {
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            FinishEdit(false);
            return true;
        }
    }
    return TKrChild::eventFilter(watched, event);
}

QList<TKrPropField> TKrText::DetailsFields() const
{
    QList<TKrPropField> fields;
    if (m_showCaptionField) {
        TKrPropField caption;
        caption.property = "Caption";
        caption.caption = QStringLiteral("Text");
        fields.append(caption);
    }
    TKrPropField font;
    font.property = "Font";
    font.caption = QStringLiteral("Font");
    TKrPropField color;
    color.property = "Color";
    color.caption = QStringLiteral("Colour");
    color.kind = TKrPropField::Color;
    TKrPropField align;
    align.property = "Alignment";
    align.caption = QStringLiteral("Alignment");
    align.kind = TKrPropField::Choice;
    align.choices = {QStringLiteral("Left"), QStringLiteral("Centre"), QStringLiteral("Right")};
    TKrPropField wrap;
    wrap.property = "WordWrap";
    wrap.caption = QStringLiteral("Word wrap");
    fields << font << color << align << wrap;
    if (m_showEditEnableField) {
        TKrPropField edit;
        edit.property = "EditEnable";
        edit.caption = QStringLiteral("Editable in run mode");
        fields.append(edit);
    }
    return fields;
}
