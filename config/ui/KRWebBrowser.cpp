#include "KRWebBrowser.h"
#include "HelpLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextDocument>

namespace {

QString pageText(const QByteArray &data)
{
    // The charset of the page's meta tag or byte order mark, else UTF-8.
    QStringDecoder decoder = QStringDecoder::decoderForHtml(data);
    if (!decoder.isValid())
        return QString::fromUtf8(data);
    return decoder.decode(data);
}

} // namespace

TKRWebBrowser::TKRWebBrowser(QWidget *parent) : QTextBrowser(parent)
{
    // Links are followed here, so that every navigation passes the before-navigate
    // notification.
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &TKRWebBrowser::linkActivated);
}

void TKRWebBrowser::splitLocation(const QString &location, QString *file, QString *anchor)
{
    helplocation::split(location, file, anchor);
}

QString TKRWebBrowser::resolveLink(const QUrl &link) const
{
    if (!link.scheme().isEmpty() && !link.isLocalFile())
        return link.toString();
    QUrl target = link;
    if (link.isRelative() && !m_pageFile.isEmpty())
        target = QUrl::fromLocalFile(m_pageFile).resolved(link);
    if (!target.isLocalFile())
        return target.toString();
    QString location = target.toLocalFile();
    if (target.hasFragment())
        location += QLatin1Char('#') + target.fragment();
    return location;
}

void TKRWebBrowser::Navigate(const QString &url, const QVariant &flags, const QVariant &targetFrameName,
                             const QVariant &postData, const QVariant &headers)
{
    Q_UNUSED(flags)
    Q_UNUSED(targetFrameName)
    Q_UNUSED(postData)
    Q_UNUSED(headers)
    bool cancel = false;
    emit OnBeforeNavigate2(this, QVariant(url), &cancel);
    if (cancel)
        return;
    load(url);
    emit OnNavigateComplete2(this, QVariant(url));
}

void TKRWebBrowser::linkActivated(const QUrl &link)
{
    Navigate(resolveLink(link));
}

void TKRWebBrowser::load(const QString &location)
{
    QString file, anchor;
    splitLocation(location, &file, &anchor);
    m_location = location;
    if (file.isEmpty()) {
        showNotice(tr("This page cannot be shown here."), location);
        return;
    }
    // Another place of the page shown: only scroll there.
    const bool samePage = m_loaded && !anchor.isEmpty() && file == m_pageFile && QFileInfo::exists(file);
    if (!samePage) {
        QFile page(file);
        if (!page.open(QIODevice::ReadOnly)) {
            showNotice(tr("The page cannot be found."), QDir::toNativeSeparators(file));
            return;
        }
        const QByteArray data = page.readAll();
        m_pageFile = file;
        document()->setBaseUrl(QUrl::fromLocalFile(file));
        setHtml(pageText(data));
        m_loaded = true;
    }
    if (anchor.isEmpty())
        verticalScrollBar()->setValue(0);
    else
        scrollToAnchor(anchor);
}

void TKRWebBrowser::showNotice(const QString &title, const QString &detail)
{
    m_pageFile.clear();
    m_loaded = false;
    document()->setBaseUrl(QUrl());
    setHtml(QStringLiteral("<html><body><h3>%1</h3><p>%2</p></body></html>")
                .arg(title.toHtmlEscaped(), detail.toHtmlEscaped()));
}

QVariant TKRWebBrowser::loadResource(int type, const QUrl &name)
{
    Q_UNUSED(type)
    QUrl target = name;
    if (name.isRelative() && !m_pageFile.isEmpty())
        target = QUrl::fromLocalFile(m_pageFile).resolved(name);
    if (!target.isLocalFile())
        return QVariant();
    QFile resource(target.toLocalFile());
    if (!resource.open(QIODevice::ReadOnly))
        return QVariant();
    return resource.readAll();
}
