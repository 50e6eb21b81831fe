#pragma once
// Bevel that also draws a caption (used as an on/off indicator).
//
// A box, frame, single line or rounded rectangle in raised, lowered or flat style, with
// a label-like caption centred vertically inside. Lines are drawn as the window system
// draws them: from the first point up to, not including, the second.
#include <QBrush>
#include <QWidget>

class TKRBevel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(TKRBevelStyle Style READ Style WRITE setStyle)
    Q_PROPERTY(TKRBevelShape Shape READ Shape WRITE setShape)
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE setAlignment)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE setWordWrap)
    Q_PROPERTY(bool ShowAccelChar READ ShowAccelChar WRITE setShowAccelChar)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)
    Q_PROPERTY(int CornerRadiusPercent READ CornerRadiusPercent WRITE setCornerRadiusPercent)
    Q_PROPERTY(QBrush Brush READ Brush WRITE setBrush)
public:
    enum TKRBevelStyle { bsLowered, bsRaised, bsFlat };
    Q_ENUM(TKRBevelStyle)
    enum TKRBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsRoundRect };
    Q_ENUM(TKRBevelShape)
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TAlignment)

    // A new bevel: raised rounded rectangle, 53 x 38 pixels, clear silver brush,
    // centred caption, corner radius 11 %.
    explicit TKRBevel(QWidget *parent = nullptr);

    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    TKRBevelStyle Style() const { return m_style; }
    void setStyle(TKRBevelStyle style);
    using QWidget::setStyle;
    TKRBevelShape Shape() const { return m_shape; }
    void setShape(TKRBevelShape shape);
    TAlignment Alignment() const { return m_alignment; }
    void setAlignment(TAlignment alignment);
    bool WordWrap() const { return m_wordWrap; }
    void setWordWrap(bool on);
    bool ShowAccelChar() const { return m_showAccelChar; }
    void setShowAccelChar(bool on);
    bool AutoSize() const { return m_autoSize; }
    // On: the bevel takes the size of its caption at once and whenever it changes.
    void setAutoSize(bool on);
    int CornerRadiusPercent() const { return m_cornerRadiusPercent; }
    // Stored limited to 1..49.
    void setCornerRadiusPercent(int percent);
    // Fill of the rounded rectangle (and the line colour of the flat style).
    QBrush Brush() const { return m_brush; }
    void setBrush(const QBrush &brush);

    // Corner radius of a rounded rectangle of width x height at percent.
    static int cornerRadius(int width, int height, int percent);
    // Bottom edge of the caption block measured for the caption area, from which the
    // caption's vertical offset is taken; an empty caption measures as one line.
    int measuredCaptionBottom() const;
    // The size AutoSize gives the bevel for its caption.
    QSize autoSizeFor() const;

    QSize sizeHint() const override;

signals:
    void OnClick(QObject *sender);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    // Sets the size to the caption's when AutoSize is on; with right alignment the
    // right edge stays where it is.
    void adjustBounds();

private:
    int textFlags(bool withAlignment) const;
    QString measureText() const;
    void drawShape(class QPainter &painter, const QColor &c1, const QColor &c2) const;

    TKRBevelStyle m_style = bsRaised;
    TKRBevelShape m_shape = bsRoundRect;
    QBrush m_brush;
    QString m_caption;
    TAlignment m_alignment = taCenter;
    bool m_wordWrap = false;
    bool m_showAccelChar = false;
    bool m_autoSize = false;
    int m_cornerRadiusPercent = 11;
    bool m_pressed = false;
};
