#pragma once
// TKRImage: a picture painted into a rectangle, turned and mirrored with its
// symbol.
//
// Kind 1 (picture) fills the rectangle with Color unless Transparent, then draws
// the picture. Kind 0 (overlay, used for error looks) is transparent; without a
// picture it draws a red cross-hatch over the rectangle so that the look is
// visible out of the box. The picture is kept in the design data (the image
// file's bytes), so a page does not depend on the file afterwards.
//
// Stretch: 0 fills the rectangle, 1 centres at natural size, 2 tiles, 3 fits
// keeping the proportions.

#include "ChildElementsGlobal.h"
#include "Krchild.h"

#include <QImage>

class QPainter;

class KRCE_EXPORT TKRImage : public TKrChild {
    Q_OBJECT
    Q_PROPERTY(int Kind READ GetKind WRITE SetKind)
    Q_PROPERTY(uint Color READ GetColor WRITE SetColor)
    Q_PROPERTY(bool Transparent READ GetTransparent WRITE SetTransparent)
    Q_PROPERTY(int Stretch READ GetStretch WRITE SetStretch)
    Q_PROPERTY(QString FileName READ GetFileName WRITE SetFileName)
    Q_PROPERTY(QByteArray Picture READ GetPicture WRITE SetPicture)
    Q_PROPERTY(int RotDeg READ GetRotatedDeg WRITE SetRotatedDeg)
    Q_PROPERTY(bool Mirrored READ GetMirrored WRITE SetMirrored)
    // Property page only: loads the named file into Picture.
    Q_PROPERTY(QString LoadFile READ GetFileName WRITE LoadFromFile STORED false)

public:
    enum { ikOverlay = 0, ikPicture = 1 };
    enum { isStretch = 0, isCenter = 1, isTile = 2, isProportional = 3 };
    static constexpr qint64 kMaxPictureBytes = 32 * 1024 * 1024;

    explicit TKRImage(TKrComponent *owner);

    // Sets the kind and the defaults that go with it (colour, transparency).
    void SetKind(int kind);
    int GetKind() const { return m_kind; }
    void Paint(QPainter *canvas, const TRect &rect);
    void Rotate_Mirror(TRotateFunction function, const QPoint &centre);
    int GetRotatedDeg() const { return m_rotDeg; }
    bool GetMirrored() const { return m_mirrored; }
    void SetRotatedDeg(int deg);
    void SetMirrored(bool m);

    TColor GetColor() const { return m_color; }
    void SetColor(TColor c);
    bool GetTransparent() const { return m_transparent; }
    void SetTransparent(bool t);
    int GetStretch() const { return m_stretch; }
    void SetStretch(int s);
    QString GetFileName() const { return m_fileName; }
    void SetFileName(const QString &name);
    QByteArray GetPicture() const { return m_picture; }
    // Takes the bytes of an image file; bytes that are no image clear the picture.
    void SetPicture(const QByteArray &bytes);
    // Reads a picture file (relative names from the base path); false when it
    // cannot be read or is no image.
    bool LoadFromFile(const QString &fileName);
    bool HasPicture() const { return !m_picture.isEmpty(); }

    void VisibleChanged(QObject *sender) override;
    void Replace(TKrReplace &what) override;
    void CollectFiles(QStringList &files) override;
    QList<TKrPropField> DetailsFields() const override;

private:
    const QImage &Decoded();
    int m_kind = ikPicture;
    TColor m_color = clBtnFace;
    bool m_transparent = false;
    int m_stretch = isStretch;
    QString m_fileName;
    QByteArray m_picture;
    int m_rotDeg = 0;
    bool m_mirrored = false;
    QImage m_decoded;
    bool m_decodedValid = false;
};
