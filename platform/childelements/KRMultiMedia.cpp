#include "KRMultiMedia.h"

#include "Divunit.h"
#include "Krpropertypage.h"
#include "Krsymbols.h"

#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QMovie>

TKRMultiMedia::TKRMultiMedia(TKrComponent *owner) : TKrChild(owner) {}

TKRMultiMedia::~TKRMultiMedia()
{
    CloseMultiMedia();
}

QWidget *TKRMultiMedia::Player() const
{
    return m_player;
}

void TKRMultiMedia::SetFileName(const QString &name)
{
    if (name == m_fileName)
        return;
    CloseMultiMedia();
    m_fileName = name;
}

bool TKRMultiMedia::PlayMultiMedia(const TRect &rect)
{
    m_host = Symbol();
    m_parent = Symbol();
    m_rect = rect;
    m_hasStored = true;
    return Play(Symbol(), rect);
}

bool TKRMultiMedia::PlayMultiMedia(QObject *host, QWidget *parent, const TRect &rect)
{
    m_host = host;
    m_parent = parent;
    m_rect = rect;
    m_hasStored = true;
    QWidget *on = qobject_cast<QWidget *>(host);
    return Play(on ? on : parent, rect);
}

bool TKRMultiMedia::PlayMultiMedia()
{
    if (!m_hasStored)
        return false;
    QWidget *on = qobject_cast<QWidget *>(m_host.data());
    return Play(on ? on : m_parent.data(), m_rect);
}

bool TKRMultiMedia::Play(QWidget *on, const TRect &rect)
{
    CloseMultiMedia();
    if (!on || m_fileName.isEmpty() || rect.IsEmpty())
        return false;
    QString path = m_fileName;
    if (IsPathRel(path))
        path = GetBasePath() + path;
    if (!QFileInfo(path).isFile())
        return false;
    auto *label = new QLabel(on);
    label->setGeometry(rect.toQRect());
    label->setScaledContents(true);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    QImageReader probe(path);
    if (probe.supportsAnimation() && probe.imageCount() != 1) {
        auto *movie = new QMovie(path, QByteArray(), label);
        if (!movie->isValid()) {
            delete label;
            return false;
        }
        label->setMovie(movie);
        if (!m_loop) {
            QObject::connect(movie, &QMovie::frameChanged, label, [movie](int frame) {
                if (frame >= movie->frameCount() - 1 && movie->frameCount() > 0)
                    movie->setPaused(true);
            });
        }
        movie->start();
    } else {
        QImage img = probe.read();
        if (img.isNull()) {
            delete label;
            return false;
        }
        label->setPixmap(QPixmap::fromImage(img));
    }
    label->show();
    label->raise();
    m_player = label;
    return true;
}

void TKRMultiMedia::CloseMultiMedia()
{
    delete m_player.data();
    m_player = nullptr;
}

void TKRMultiMedia::Replace(TKrReplace &what)
{
    QString f = m_fileName;
    if (what.Apply(f))
        SetFileName(f);
}

void TKRMultiMedia::CollectFiles(QStringList &files)
{
    if (!m_fileName.isEmpty())
        files.append(m_fileName);
}

QList<TKrPropField> TKRMultiMedia::DetailsFields() const
{
    TKrPropField file;
    file.property = "FileName";
    file.caption = QStringLiteral("Clip");
    file.kind = TKrPropField::File;
    file.filter = QStringLiteral("Clips (*.gif *.mng *.webp *.png *.bmp *.jpg);;All files (*)");
    TKrPropField loop;
    loop.property = "Loop";
    loop.caption = QStringLiteral("Repeat");
    return {file, loop};
}
