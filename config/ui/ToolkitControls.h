#pragma once
// Small stand-ins for toolkit controls that Qt has no direct equivalent of:
// a picture that can be clicked (TImage) and a group of radio items with an
// item index (TRadioGroup).
#include <QGroupBox>
#include <QLabel>
#include <QStringList>

class TImage : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString Picture READ Picture WRITE setPicture)
public:
    explicit TImage(QWidget *parent = nullptr);
    QString Picture() const { return m_picture; }
    void setPicture(const QString &name);
signals:
    void OnClick(QObject *sender);
private:
    QString m_picture;
};

class TRadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(QStringList Items READ Items WRITE setItems)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE setItemIndex)
public:
    explicit TRadioGroup(QWidget *parent = nullptr);
    QStringList Items() const { return m_items; }
    void setItems(const QStringList &items);
    int ItemIndex() const { return m_itemIndex; }
    void setItemIndex(int index);
signals:
    void OnClick(QObject *sender);
private:
    QStringList m_items;
    int m_itemIndex = -1;
};
