#pragma once
// TKRMultiMedia: a clip played over a rectangle of a symbol or of a floor.
// Animated pictures (GIF and the other formats the image plug-ins animate) play
// frame by frame, looping when Loop is set, else they stay on their last frame;
// a still picture is shown as it is. A clip file that cannot be read plays
// nothing. The clip is shown on the host widget given (a floor), or on the
// symbol's parent when none is given, at the rectangle given in that widget's
// coordinates.

#include "ChildElementsGlobal.h"
#include "Krchild.h"

#include <QPointer>

#include <QLabel>
class QMovie;
class QWidget;

class KRCE_EXPORT TKRMultiMedia : public TKrChild {
    Q_OBJECT
    Q_PROPERTY(QString FileName READ GetFileName WRITE SetFileName)
    Q_PROPERTY(bool Loop READ GetLoop WRITE SetLoop)

public:
    explicit TKRMultiMedia(TKrComponent *owner);
    ~TKRMultiMedia() override;

    // Plays over rect of the symbol (coordinates of the symbol).
    bool PlayMultiMedia(const TRect &rect);
    // Plays over rect of host (a floor), or of parent when host is not a widget.
    bool PlayMultiMedia(QObject *host, QWidget *parent, const TRect &rect);
    // Plays again with the stored host and rectangle.
    bool PlayMultiMedia();
    void CloseMultiMedia();
    bool IsPlaying() const { return m_player != nullptr; }
    bool HasClip() const { return !m_fileName.isEmpty(); }
    // The widget showing the clip while it plays.
    QWidget *Player() const;

    QString GetFileName() const { return m_fileName; }
    void SetFileName(const QString &name);
    bool GetLoop() const { return m_loop; }
    void SetLoop(bool loop) { m_loop = loop; }

    void Replace(TKrReplace &what) override;
    void CollectFiles(QStringList &files) override;
    QList<TKrPropField> DetailsFields() const override;

private:
    bool Play(QWidget *on, const TRect &rect);
    QString m_fileName;
    bool m_loop = true;
    QPointer<QObject> m_host;
    QPointer<QWidget> m_parent;
    TRect m_rect;
    bool m_hasStored = false;
    QPointer<QLabel> m_player;
};
