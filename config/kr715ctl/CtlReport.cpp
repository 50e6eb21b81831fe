#include "CtlReport.h"

#include <QJsonDocument>

#include <cstdio>
#include <unistd.h>

QString CtlTable::text() const
{
    QList<int> widths;
    for (const QString &h : m_headers)
        widths.append(int(h.size()));
    for (const QStringList &row : m_rows)
        for (int i = 0; i < row.size(); ++i) {
            if (i >= widths.size())
                widths.append(0);
            widths[i] = qMax(widths[i], int(row.at(i).size()));
        }
    auto line = [&](const QStringList &cells) {
        QString out;
        for (int i = 0; i < widths.size(); ++i) {
            const QString cell = cells.value(i);
            out += i + 1 < widths.size() ? cell.leftJustified(widths[i]) + QStringLiteral("  ") : cell;
        }
        while (out.endsWith(QLatin1Char(' ')))
            out.chop(1);
        return out + QLatin1Char('\n');
    };
    QString out = line(m_headers);
    QStringList rules;
    for (const int w : widths)
        rules.append(QString(w, QLatin1Char('-')));
    out += line(rules);
    for (const QStringList &row : m_rows)
        out += line(row);
    return out;
}

CtlProgress::CtlProgress(int total) : m_total(total), m_active(isatty(STDERR_FILENO) == 1) {}

CtlProgress::~CtlProgress() { finish(); }

void CtlProgress::step(const QString &what)
{
    ++m_done;
    if (!m_active)
        return;
    const QByteArray line = QStringLiteral("\r\033[K[%1/%2] %3").arg(QString::number(m_done), QString::number(m_total), what).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

void CtlProgress::finish()
{
    if (!m_active)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    m_active = false;
}

bool ctlOutBytes(const QByteArray &bytes)
{
    const bool ok = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    return std::fflush(stdout) == 0 && ok;
}

void ctlOut(const QString &text) { ctlOutBytes(text.toUtf8()); }

void ctlErr(const QString &text)
{
    const QByteArray bytes = (QStringLiteral("kr715ctl: ") + text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void ctlJson(const QJsonObject &object)
{
    ctlOutBytes(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}
