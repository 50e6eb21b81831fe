#include "KRImage.h"

#include "Divunit.h"
#include "Krpropertypage.h"
#include "Krvisible.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QTransform>

TKRImage::TKRImage(TKrComponent *owner) : TKrChild(owner) {}

void TKRImage::SetKind(int kind)
{
    m_kind = kind == ikOverlay ? ikOverlay : ikPicture;
    if (m_kind == ikOverlay) {
        m_transparent = true;
        m_color = clRed;
    } else {
        m_transparent = false;
        m_color = clBtnFace;
    }
    Validate();
}

void TKRImage::SetColor(TColor c)
{
    if (c == m_color)
        return;
    m_color = c;
    Validate();
}

void TKRImage::SetTransparent(bool t)
{
    if (t == m_transparent)
        return;
    m_transparent = t;
    Validate();
}

void TKRImage::SetStretch(int s)
{
    if (s < isStretch || s > isProportional)
        s = isStretch;
    if (s == m_stretch)
        return;
    m_stretch = s;
    Validate();
}

void TKRImage::SetFileName(const QString &name)
{
    m_fileName = name;
}

void TKRImage::SetPicture(const QByteArray &bytes)
{
    m_picture.clear();
    m_decoded = QImage();
    m_decodedValid = false;
    if (!bytes.isEmpty() && bytes.size() <= kMaxPictureBytes) {
        QBuffer buffer;
        buffer.setData(bytes);
        QImageReader reader(&buffer);
        // Refuse pictures whose stated size would take unreasonable memory.
        const QSize size = reader.size();
        if (reader.canRead() && size.isValid() && qint64(size.width()) * size.height() <= 64LL * 1024 * 1024)
            m_picture = bytes;
    }
    Validate();
}

bool TKRImage::LoadFromFile(const QString &fileName)
{
    QString path = fileName;
    if (IsPathRel(path))
        path = GetBasePath() + path;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxPictureBytes)
        return false;
    const QByteArray bytes = f.readAll();
    SetPicture(bytes);
    if (m_picture.isEmpty())
        return false;
    m_fileName = fileName;
    return true;
}

const QImage &TKRImage::Decoded()
{
    if (!m_decodedValid) {
        m_decodedValid = true;
        m_decoded = QImage();
        if (!m_picture.isEmpty()) {
            QImage img;
            if (img.loadFromData(m_picture)) {
                QTransform t;
                if (m_mirrored)
                    t.scale(-1, 1);
                t.rotate(m_rotDeg);
                m_decoded = (m_rotDeg || m_mirrored) ? img.transformed(t) : img;
            }
        }
    }
    return m_decoded;
}

void TKRImage::Paint(QPainter *canvas, const TRect &rect)
{
    if (!canvas || rect.IsEmpty())
        return;
    const QRect r = rect.toQRect();
    canvas->save();
    canvas->setClipRect(r, Qt::IntersectClip);
    if (!m_transparent)
        canvas->fillRect(r, KrColor(m_color));
    const QImage &img = Decoded();
    if (img.isNull()) {
        if (m_kind == ikOverlay) {
            QColor c = KrColor(m_color);
            c.setAlpha(160);
            canvas->setPen(QPen(c, 2));
            canvas->drawLine(r.topLeft(), r.bottomRight());
            canvas->drawLine(r.topRight(), r.bottomLeft());
            canvas->fillRect(r, QBrush(c, Qt::DiagCrossPattern));
        }
    } else {
        switch (m_stretch) {
        case isCenter: {
            const QPoint at(r.left() + (r.width() - img.width()) / 2, r.top() + (r.height() - img.height()) / 2);
            canvas->drawImage(at, img);
            break;
        }
        case isTile:
            for (int y = r.top(); y < r.top() + r.height(); y += qMax(1, img.height()))
                for (int x = r.left(); x < r.left() + r.width(); x += qMax(1, img.width()))
                    canvas->drawImage(QPoint(x, y), img);
            break;
        case isProportional: {
            const QSize s = img.size().scaled(r.size(), Qt::KeepAspectRatio);
            canvas->drawImage(QRect(QPoint(r.left() + (r.width() - s.width()) / 2, r.top() + (r.height() - s.height()) / 2), s), img);
            break;
        }
        default:
            canvas->drawImage(r, img);
            break;
        }
    }
    canvas->restore();
}

void TKRImage::Rotate_Mirror(TRotateFunction function, const QPoint &)
{
    if (!TurnRotation(function, m_rotDeg, m_mirrored))
        return;
    m_decodedValid = false;
    Validate();
}

void TKRImage::SetRotatedDeg(int deg)
{
    deg = ((deg % 360) + 360) % 360;
    deg = (deg / 90) * 90;
    if (deg == m_rotDeg)
        return;
    m_rotDeg = deg;
    m_decodedValid = false;
    Validate();
}

void TKRImage::SetMirrored(bool m)
{
    if (m == m_mirrored)
        return;
    m_mirrored = m;
    m_decodedValid = false;
    Validate();
}

void TKRImage::VisibleChanged(QObject *sender)
{
    // A picture that is not on screen gives its decoded pixels back; they are
    // decoded again at the next paint.
    if (!IsVisible(this)) {
        m_decoded = QImage();
        m_decodedValid = false;
    }
    TKrChild::VisibleChanged(sender);
}

void TKRImage::Replace(TKrReplace &what)
{
    what.Apply(m_fileName);
}

void TKRImage::CollectFiles(QStringList &files)
{
    if (!m_fileName.isEmpty())
        files.append(m_fileName);
}

QList<TKrPropField> TKRImage::DetailsFields() const
{
    TKrPropField kind;
    kind.property = "Kind";
    kind.caption = QStringLiteral("Kind");
    kind.kind = TKrPropField::Choice;
    kind.choices = {QStringLiteral("Overlay"), QStringLiteral("Picture")};
    TKrPropField color;
    color.property = "Color";
    color.caption = QStringLiteral("Colour");
    color.kind = TKrPropField::Color;
    TKrPropField transparent;
    transparent.property = "Transparent";
    transparent.caption = QStringLiteral("Transparent");
    TKrPropField stretch;
    stretch.property = "Stretch";
    stretch.caption = QStringLiteral("Size");
    stretch.kind = TKrPropField::Choice;
    stretch.choices = {QStringLiteral("Stretch"), QStringLiteral("Centre"), QStringLiteral("Tile"), QStringLiteral("Fit")};
    TKrPropField file;
    file.property = "LoadFile";
    file.caption = QStringLiteral("Picture");
    file.kind = TKrPropField::File;
    file.filter = QStringLiteral("Pictures (*.bmp *.png *.jpg *.jpeg *.gif);;All files (*)");
    return {kind, color, transparent, stretch, file};
}
