#pragma once
// What kr715ctl shows: a table of text columns for people, one JSON document per
// line for scripts, and a progress line on a terminal.

#include <QJsonObject>
#include <QString>
#include <QStringList>

class CtlTable {
public:
    explicit CtlTable(const QStringList &headers) : m_headers(headers) {}
    void addRow(const QStringList &cells) { m_rows.append(cells); }
    int rowCount() const { return int(m_rows.size()); }
    // Columns padded to their widest cell, separated by two blanks; a header line,
    // a rule and one line per row.
    QString text() const;

private:
    QStringList m_headers;
    QList<QStringList> m_rows;
};

// "[3/100] FT103" on standard error, rewritten in place; only when standard error is
// a terminal, so that scripts and logs never see it.
class CtlProgress {
public:
    explicit CtlProgress(int total);
    ~CtlProgress();
    void step(const QString &what);
    void finish();

private:
    int m_total;
    int m_done = 0;
    bool m_active;
};

// Writes text to standard output as UTF-8 (a table, a message).
void ctlOut(const QString &text);
// Writes bytes to standard output as they are (a configuration file).
bool ctlOutBytes(const QByteArray &bytes);
// Writes a message line to standard error.
void ctlErr(const QString &text);
// Writes a JSON object as one line to standard output.
void ctlJson(const QJsonObject &object);
