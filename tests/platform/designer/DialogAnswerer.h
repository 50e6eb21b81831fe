#pragma once
// Answers the designer's message boxes as a user would: waits for the modal box,
// records its text and presses the button asked for.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

class DialogAnswerer : public QObject {
public:
    explicit DialogAnswerer(QMessageBox::StandardButton button = QMessageBox::Ok) : m_button(button)
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            texts.append(box->text());
            QAbstractButton *b = box->button(m_button);
            if (!b)
                b = box->button(QMessageBox::Ok);
            if (b)
                b->click();
        });
        m_timer.start();
    }
    QStringList texts;

private:
    QMessageBox::StandardButton m_button;
    QTimer m_timer;
};
