#pragma once
// Bevel that also draws a caption (used as an on/off indicator).
#include <QWidget>

class TKRBevel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
public:
    explicit TKRBevel(QWidget *parent = nullptr);
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption) { m_caption = caption; update(); }
private:
    QString m_caption;
};
