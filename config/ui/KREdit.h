#pragma once
// One-line value field: blue while the operator edits, an update event when editing ends.
#include <QLineEdit>

class TKREdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(bool KRSimMode READ KRSimMode WRITE setKRSimMode)
public:
    explicit TKREdit(QWidget *parent = nullptr);
    bool KRSimMode() const { return m_simMode; }
    void setKRSimMode(bool on);
signals:
    void OnChange(QObject *sender);
    void OnKREditUpDate(QObject *sender);
    void OnEnter(QObject *sender);
    void OnExit(QObject *sender);
private:
    bool m_simMode = false;
};
