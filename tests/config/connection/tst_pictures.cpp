// The picture factory: every picture control gets a drawn picture of its size, the
// pictures differ where they have to, and buttons named after a picture get it as icon.

#include "Pictures.h"
#include "ToolkitControls.h"

#include <QPushButton>
#include <QTest>

namespace {

// Fraction of pixels that are not fully transparent.
double coverage(const QPixmap &pixmap)
{
    const QImage image = pixmap.toImage();
    qsizetype drawn = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            drawn += qAlpha(image.pixel(x, y)) != 0;
    return double(drawn) / double(image.width() * image.height());
}

const char *const kControlPictures[] = {
    "imgGenKR715",   "imgDataOut2On",      "imgDataOut2Off",      "imgDataOut3On",     "imgDataOut3Off",
    "imgOut2Pulse",  "imgOut2Batch",       "imgOut2Limit",        "imgOut2Sign",       "imgOut2PilVenstre",
    "imgOut3PIPil",  "imgOut3FuncPil",     "imgOut3CurrentImage", "imgOut3PulseImage", "imgOut3PIEks",
    "imgOut3PIHint", "bbConLoadE1_8",      "bbConSaveE1_8",
};

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void everyControlHasAPicture_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        for (const char *name : kControlPictures) {
            QTest::newRow(QByteArray(name).append(" small").constData()) << QString(name) << QSize(25, 25);
            QTest::newRow(QByteArray(name).append(" wide").constData()) << QString(name) << QSize(386, 120);
        }
    }
    void everyControlHasAPicture()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QVERIFY(krHasPicture(name));
        QVERIFY(krPictureNames().contains(name));
        const QPixmap picture = krPicture(name, size);
        QVERIFY(!picture.isNull());
        QCOMPARE(picture.size(), size);
        QVERIFY(picture.hasAlphaChannel());
        // Something is drawn, and the picture keeps a transparent margin somewhere.
        const double drawn = coverage(picture);
        QVERIFY2(drawn > 0.02, qPrintable(QString::number(drawn)));
        QVERIFY2(drawn < 1.0, qPrintable(QString::number(drawn)));
    }

    void unknownNamesAndEmptySizes()
    {
        QVERIFY(!krHasPicture("imgNoSuchPicture"));
        QVERIFY(!krHasPicture(QString()));
        const QPixmap unknown = krPicture("imgNoSuchPicture", QSize(40, 30));
        QCOMPARE(unknown.size(), QSize(40, 30));
        QCOMPARE(coverage(unknown), 0.0);
        QVERIFY(krPicture("imgGenKR715", QSize(0, 30)).isNull());
        QVERIFY(krPicture("imgGenKR715", QSize(-5, -5)).isNull());
        // Names are exact: another letter case is another name.
        QVERIFY(!krHasPicture("IMGGENKR715"));
    }

    void picturesThatMustDifferDo()
    {
        const QSize lamp(25, 25);
        QVERIFY(krPicture("imgDataOut2On", lamp).toImage() != krPicture("imgDataOut2Off", lamp).toImage());
        // Both outputs use the same lamps.
        QCOMPARE(krPicture("imgDataOut2On", lamp).toImage(), krPicture("imgDataOut3On", lamp).toImage());
        const QSize area(120, 80);
        QVERIFY(krPicture("imgOut2PilVenstre", area).toImage() != krPicture("imgOut3PIPil", area).toImage());
        QVERIFY(krPicture("bbConLoadE1_8", area).toImage() != krPicture("bbConSaveE1_8", area).toImage());
        const QStringList illustrations{"imgOut2Pulse", "imgOut2Batch", "imgOut2Limit", "imgOut2Sign"};
        for (const QString &a : illustrations)
            for (const QString &b : illustrations)
                if (a != b)
                    QVERIFY2(krPicture(a, area).toImage() != krPicture(b, area).toImage(), qPrintable(a + " " + b));
    }

    void applyGivesImagesAndButtonsTheirPictures()
    {
        QWidget root;
        auto *named = new TImage(&root);
        named->setObjectName("imgOut3PIHint");
        named->resize(28, 26);
        auto *byPicture = new TImage(&root);
        byPicture->setObjectName("someImage");
        byPicture->setPicture("imgGenKR715");
        byPicture->resize(200, 80);
        auto *unknown = new TImage(&root);
        unknown->setObjectName("imgUnknown");
        unknown->resize(10, 10);
        auto *save = new QPushButton(&root);
        save->setObjectName("bbConSaveE1_8");
        save->setIconSize(QSize(32, 32));
        auto *plain = new QPushButton(&root);
        plain->setObjectName("btnConReset");

        krApplyPictures(&root);

        QCOMPARE(named->pixmap().size(), QSize(28, 26));
        QCOMPARE(named->pixmap().toImage(), krPicture("imgOut3PIHint", QSize(28, 26)).toImage());
        // The Picture name wins over the object name.
        QCOMPARE(byPicture->pixmap().toImage(), krPicture("imgGenKR715", QSize(200, 80)).toImage());
        QCOMPARE(coverage(unknown->pixmap()), 0.0);
        QVERIFY(!save->icon().isNull());
        QVERIFY(plain->icon().isNull());

        // After a resize the pictures are drawn again at the new size.
        named->resize(56, 52);
        krApplyPictures(&root);
        QCOMPARE(named->pixmap().size(), QSize(56, 52));

        krApplyPictures(nullptr); // nothing to do, no crash
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
