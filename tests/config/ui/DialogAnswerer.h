#pragma once
// Answers the modal dialogs a piece of code opens, in the order they come, the way an
// operator would, and records what each one said. Header-only; include it in any Qt
// Test program of the project.
//
// Usage:
//     DialogAnswerer answers;
//     answers.answerMessageBox(QMessageBox::Yes)          // first dialog: a message box
//            .chooseFile(dir.filePath("setup.txt"))       // then a file dialog
//            .answerMessageBox(QMessageBox::Ok, "saved"); // then a box whose text has "saved"
//     window.saveButton->click();                        // code that opens the dialogs
//     KR_VERIFY_DIALOGS(answers);                        // all came, none unexpected
//     QCOMPARE(answers.texts().first(), QString("Overwrite the file?"));
//
// The answerer looks for the active modal widget every few milliseconds, also while a
// dialog's own exec() loop runs. A dialog that does not fit the next expectation (or
// comes when none is left) is recorded as a failure and closed (rejected), so a test
// never hangs on it; so is a dialog that stays open after being answered. Expectations
// that never saw their dialog are reported by KR_VERIFY_DIALOGS / report(). For dialogs
// that open later from timers, waitUntilAnswered() runs the event loop until every
// expectation has had its dialog or the time is up.

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QList>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <functional>

class DialogAnswerer : public QObject {
public:
    // What one dialog showed and how it was answered.
    struct Record {
        QString className;
        QString title;
        QString text;          // message text; for file dialogs the name filters, one a line
        QString directory;     // file dialogs: the folder they opened in
        QString defaultSuffix; // file dialogs
        bool saveDialog = false;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString answer;
        bool expected = true;
    };

    explicit DialogAnswerer(int intervalMs = 10, QObject *parent = nullptr) : QObject(parent)
    {
        m_timer.setInterval(intervalMs);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

    // The next dialog is a message box: click button, optionally checking that its text
    // contains textContains.
    DialogAnswerer &answerMessageBox(QMessageBox::StandardButton button,
                                     const QString &textContains = QString())
    {
        Expectation e;
        e.description = QStringLiteral("message box answered with %1%2")
                            .arg(buttonName(button),
                                 textContains.isEmpty()
                                     ? QString()
                                     : QStringLiteral(" (text containing \"%1\")").arg(textContains));
        e.matches = [textContains](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            return box && (textContains.isEmpty() || box->text().contains(textContains));
        };
        e.act = [button](QWidget *w, QString *answer) {
            auto *box = static_cast<QMessageBox *>(w);
            QAbstractButton *b = box->button(button);
            if (!b) {
                *answer = QStringLiteral("no %1 button").arg(buttonName(button));
                return false;
            }
            *answer = buttonName(button);
            b->click();
            return true;
        };
        m_expectations.append(e);
        return *this;
    }

    // The next dialog is a file dialog: choose path (absolute) and accept.
    DialogAnswerer &chooseFile(const QString &path)
    {
        Expectation e;
        e.description = QStringLiteral("file dialog choosing %1").arg(path);
        e.matches = [](QWidget *w) { return qobject_cast<QFileDialog *>(w) != nullptr; };
        e.act = [path](QWidget *w, QString *answer) {
            auto *dialog = static_cast<QFileDialog *>(w);
            const QFileInfo info(path);
            dialog->setDirectory(info.absolutePath());
            // selectFile leaves the name field alone while it has the focus; type the
            // name there as an operator would.
            if (auto *nameField = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                nameField->setText(info.fileName());
            else
                dialog->selectFile(info.absoluteFilePath());
            *answer = QStringLiteral("chose ") + path;
            static_cast<QDialog *>(dialog)->accept(); // QFileDialog::accept is protected
            return true;
        };
        m_expectations.append(e);
        return *this;
    }

    // The next dialog is a file dialog: cancel it.
    DialogAnswerer &cancelFileDialog()
    {
        Expectation e;
        e.description = QStringLiteral("file dialog cancelled");
        e.matches = [](QWidget *w) { return qobject_cast<QFileDialog *>(w) != nullptr; };
        e.act = [](QWidget *w, QString *answer) {
            *answer = QStringLiteral("cancelled");
            static_cast<QDialog *>(w)->reject();
            return true;
        };
        m_expectations.append(e);
        return *this;
    }

    // Any other modal dialog: matches decides whether the dialog is the expected one,
    // act answers it (and must close it).
    DialogAnswerer &answerDialog(const QString &description, std::function<bool(QWidget *)> matches,
                                 std::function<void(QWidget *)> act)
    {
        Expectation e;
        e.description = description;
        e.matches = std::move(matches);
        e.act = [act = std::move(act), description](QWidget *w, QString *answer) {
            *answer = description;
            act(w);
            return true;
        };
        m_expectations.append(e);
        return *this;
    }

    // Expectations still waiting for their dialog.
    int pending() const { return int(m_expectations.size()); }
    QStringList pendingDescriptions() const
    {
        QStringList list;
        for (const Expectation &e : m_expectations)
            list.append(e.description);
        return list;
    }
    QStringList failures() const { return m_failures; }
    // Every expectation had its dialog and nothing unexpected came.
    bool allAnswered() const { return m_expectations.isEmpty() && m_failures.isEmpty(); }

    const QList<Record> &records() const { return m_records; }
    // Texts of the expected message boxes answered, in order.
    QStringList texts() const
    {
        QStringList list;
        for (const Record &r : m_records) {
            if (r.expected && r.className != QLatin1String("QFileDialog"))
                list.append(r.text);
        }
        return list;
    }
    QString lastText() const
    {
        const QStringList list = texts();
        return list.isEmpty() ? QString() : list.last();
    }

    QString report() const
    {
        QStringList lines;
        for (const QString &f : m_failures)
            lines.append(QStringLiteral("unexpected: ") + f);
        for (const Expectation &e : m_expectations)
            lines.append(QStringLiteral("never appeared: ") + e.description);
        if (lines.isEmpty())
            return QStringLiteral("all dialogs answered");
        lines.prepend(QStringLiteral("dialogs seen: %1").arg(m_records.size()));
        return lines.join(QLatin1Char('\n'));
    }

    // Runs the event loop until every expectation has had its dialog (true), or the
    // time is up (false).
    bool waitUntilAnswered(int timeoutMs = 5000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!m_expectations.isEmpty() && !deadline.hasExpired())
            QTest::qWait(5);
        QCoreApplication::processEvents();
        return m_expectations.isEmpty();
    }

    // Forgets expectations, records and failures.
    void reset()
    {
        m_expectations.clear();
        m_records.clear();
        m_failures.clear();
    }

protected:
    // A dialog that was answered and hides has closed, even when the same object is
    // shown again before the next round (a dialog run twice in a row).
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && watched == m_answered) {
            watched->removeEventFilter(this);
            m_answered = nullptr;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    struct Expectation {
        QString description;
        std::function<bool(QWidget *)> matches;
        std::function<bool(QWidget *, QString *)> act;
    };

    static QString buttonName(QMessageBox::StandardButton button)
    {
        switch (button) {
        case QMessageBox::Ok: return QStringLiteral("Ok");
        case QMessageBox::Cancel: return QStringLiteral("Cancel");
        case QMessageBox::Yes: return QStringLiteral("Yes");
        case QMessageBox::No: return QStringLiteral("No");
        case QMessageBox::Abort: return QStringLiteral("Abort");
        case QMessageBox::Retry: return QStringLiteral("Retry");
        case QMessageBox::Ignore: return QStringLiteral("Ignore");
        case QMessageBox::Close: return QStringLiteral("Close");
        default: return QStringLiteral("button 0x%1").arg(int(button), 0, 16);
        }
    }

    static Record describe(QWidget *w)
    {
        Record r;
        r.className = QString::fromLatin1(w->metaObject()->className());
        r.title = w->windowTitle();
        if (auto *box = qobject_cast<QMessageBox *>(w)) {
            r.className = QStringLiteral("QMessageBox");
            r.text = box->text();
            r.icon = box->icon();
        } else if (auto *file = qobject_cast<QFileDialog *>(w)) {
            r.className = QStringLiteral("QFileDialog");
            r.text = file->nameFilters().join(QLatin1Char('\n'));
            r.directory = file->directory().absolutePath();
            r.defaultSuffix = file->defaultSuffix();
            r.saveDialog = file->acceptMode() == QFileDialog::AcceptSave;
        }
        return r;
    }

    static void closeUnanswered(QWidget *w)
    {
        if (auto *dialog = qobject_cast<QDialog *>(w))
            dialog->done(QDialog::Rejected);
        else
            w->close();
    }

    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        if (m_acting)
            return; // an answer is on its way
        if (modal == m_answered) {
            // Answered but still open: give it a few rounds, then give up on it.
            if (++m_staleRounds > 20) {
                m_failures.append(QStringLiteral("%1 \"%2\" stayed open after its answer")
                                      .arg(QString::fromLatin1(modal->metaObject()->className()),
                                           modal->windowTitle()));
                m_answered = nullptr;
                act(modal, [](QWidget *w) { closeUnanswered(w); });
            }
            return;
        }
        Record record = describe(modal);
        if (m_expectations.isEmpty() || !m_expectations.first().matches(modal)) {
            record.expected = false;
            record.answer = QStringLiteral("closed unanswered");
            m_failures.append(QStringLiteral("%1 \"%2\" saying \"%3\"%4")
                                  .arg(record.className, record.title, record.text,
                                       m_expectations.isEmpty()
                                           ? QStringLiteral(" when no dialog was expected")
                                           : QStringLiteral(" while expecting ")
                                               + m_expectations.first().description));
            m_records.append(record);
            act(modal, [](QWidget *w) { closeUnanswered(w); });
            return;
        }
        const Expectation expectation = m_expectations.takeFirst();
        m_records.append(record);
        const qsizetype index = m_records.size() - 1;
        act(modal, [this, expectation, index](QWidget *w) {
            QString answer;
            if (!expectation.act(w, &answer)) {
                m_failures.append(QStringLiteral("could not answer %1: %2")
                                      .arg(expectation.description, answer));
                closeUnanswered(w);
            }
            if (index < m_records.size())
                m_records[index].answer = answer;
        });
    }

    // Answers outside the timer's own slot, so that a dialog opened by the answer (a
    // nested exec()) is seen by the next rounds of the timer.
    void act(QWidget *w, std::function<void(QWidget *)> action)
    {
        m_acting = true;
        if (m_answered)
            m_answered->removeEventFilter(this);
        m_answered = w;
        w->installEventFilter(this);
        m_staleRounds = 0;
        QPointer<QWidget> target(w);
        QMetaObject::invokeMethod(
            this,
            [this, target, action = std::move(action)] {
                m_acting = false;
                if (target)
                    action(target);
            },
            Qt::QueuedConnection);
    }

    QTimer m_timer;
    QList<Expectation> m_expectations;
    QList<Record> m_records;
    QStringList m_failures;
    QPointer<QWidget> m_answered;
    int m_staleRounds = 0;
    bool m_acting = false;
};

// Fails the test with the list of unexpected and missing dialogs.
#define KR_VERIFY_DIALOGS(answerer) QVERIFY2((answerer).allAnswered(), qPrintable((answerer).report()))
