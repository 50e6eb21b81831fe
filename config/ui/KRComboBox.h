#pragma once
// Drop-down list whose entries carry the value codes the device stores for them.
#include <QComboBox>
#include <QStringList>

class TKRComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(bool KRSimMode READ KRSimMode WRITE setKRSimMode)
    Q_PROPERTY(QStringList ValueItems READ ValueItems WRITE setValueItems)
public:
    explicit TKRComboBox(QWidget *parent = nullptr);
    bool KRSimMode() const { return m_simMode; }
    void setKRSimMode(bool on);
    QStringList ValueItems() const { return m_valueItems; }
    void setValueItems(const QStringList &items) { m_valueItems = items; }
signals:
    void OnChange(QObject *sender);
    void OnItemIndexChange(QObject *sender);
    void OnKRCmbUpDate(QObject *sender);
    void OnEnter(QObject *sender);
    void OnExit(QObject *sender);
private:
    bool m_simMode = false;
    QStringList m_valueItems;
};
