#pragma once
// Content panel of a tab page; can float out as a window captioned DockCaption.
#include <QFrame>

class TKRPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QString DockCaption READ DockCaption WRITE setDockCaption)
public:
    explicit TKRPanel(QWidget *parent = nullptr);
    QString DockCaption() const { return m_dockCaption; }
    void setDockCaption(const QString &caption) { m_dockCaption = caption; }
private:
    QString m_dockCaption;
};
