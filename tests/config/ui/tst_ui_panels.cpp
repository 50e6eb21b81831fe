// Bevel, dockable panel, clickable picture and radio group.
#include "KRBevel.h"
#include "KRPanel.h"
#include "ToolkitControls.h"

#include <QImage>
#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

namespace {

const QColor kLight(250, 250, 250);
const QColor kDark(100, 100, 100);
const QColor kBackground(0, 128, 0);

// A bevel painted with known colours, as an image.
QImage render(TKRBevel &bevel)
{
    QPalette pal = bevel.palette();
    pal.setColor(QPalette::Light, kLight);
    pal.setColor(QPalette::Dark, kDark);
    pal.setColor(QPalette::Window, kBackground);
    bevel.setPalette(pal);
    bevel.setAutoFillBackground(true);
    return bevel.grab().toImage();
}

// A pixel of a rendered control and the colour it must have.
struct Pixel {
    int x;
    int y;
    QColor colour;
};

QColor at(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y);
}

} // namespace

Q_DECLARE_METATYPE(Pixel)

class TestUiPanels : public QObject {
    Q_OBJECT
private slots:
    void bevelDefaults();
    void cornerRadiusPercentIsLimited();
    void cornerRadius();
    void roundRectCornersFollowRadius();
    void shapePixels_data();
    void shapePixels();
    void flatStyleUsesBrushColour();
    void emptyCaptionMeasuresOneLine();
    void autoSizeRightAlignedGrowsToTheLeft();
    void autoSizeOtherAlignmentsKeepLeftEdge();
    void bevelClick();

    void panelRecordsHomeAtFirstPaint();
    void closingFloatingWindowRestoresHomeGeometry();
    void dockBackIntoLayoutPlace();
    void dockCaptionFollowsWhileFloating();
    void operatorDragsPanelOutAndBack();
    void aDragFloatsOnlyBeyondTheDragDistance_data();
    void aDragFloatsOnlyBeyondTheDragDistance();
    void aFloatingWindowOpensWithItsTitleBarOnAScreen_data();
    void aFloatingWindowOpensWithItsTitleBarOnAScreen();

    void imageClick();
    void imagePictureProvider();
    void radioGroupItemIndex();
    void radioGroupOperatorClick();
    void radioGroupItemsAndTexts();
};

void TestUiPanels::bevelDefaults()
{
    TKRBevel bevel;
    QCOMPARE(bevel.size(), QSize(53, 38));
    QCOMPARE(bevel.Style(), TKRBevel::bsRaised);
    QCOMPARE(bevel.Shape(), TKRBevel::bsRoundRect);
    QCOMPARE(bevel.Alignment(), TKRBevel::taCenter);
    QCOMPARE(bevel.CornerRadiusPercent(), 11);
    QCOMPARE(bevel.Brush().color(), QColor(192, 192, 192));
    QCOMPARE(bevel.Brush().style(), Qt::NoBrush);
    QVERIFY(!bevel.WordWrap());
    QVERIFY(!bevel.ShowAccelChar());
    QVERIFY(!bevel.AutoSize());
    QCOMPARE(bevel.Caption(), QString());
    // The names a form description uses.
    QVERIFY(bevel.setProperty("Style", QVariant::fromValue(TKRBevel::bsLowered)));
    QCOMPARE(bevel.Style(), TKRBevel::bsLowered);
    QVERIFY(bevel.setProperty("Shape", "bsFrame"));
    QCOMPARE(bevel.Shape(), TKRBevel::bsFrame);
    QVERIFY(bevel.setProperty("Caption", "On"));
    QCOMPARE(bevel.Caption(), QStringLiteral("On"));
}

void TestUiPanels::cornerRadiusPercentIsLimited()
{
    TKRBevel bevel;
    bevel.setCornerRadiusPercent(0);
    QCOMPARE(bevel.CornerRadiusPercent(), 1);
    bevel.setCornerRadiusPercent(200);
    QCOMPARE(bevel.CornerRadiusPercent(), 49);
    bevel.setCornerRadiusPercent(50);
    QCOMPARE(bevel.CornerRadiusPercent(), 49);
    bevel.setCornerRadiusPercent(-3);
    QCOMPARE(bevel.CornerRadiusPercent(), 1);
    bevel.setProperty("CornerRadiusPercent", 30);
    QCOMPARE(bevel.CornerRadiusPercent(), 30);
}

void TestUiPanels::cornerRadius()
{
    QCOMPARE(TKRBevel::cornerRadius(25, 25, 45), 11);
    QCOMPARE(TKRBevel::cornerRadius(53, 38, 11), 4);
    QCOMPARE(TKRBevel::cornerRadius(200, 20, 49), 9); // the shorter side counts
    QCOMPARE(TKRBevel::cornerRadius(5, 5, 10), 0);
}

void TestUiPanels::roundRectCornersFollowRadius()
{
    TKRBevel bevel;
    bevel.resize(25, 25);
    bevel.setCornerRadiusPercent(45); // r = 11
    const QImage image = render(bevel);
    // The left edge runs from (0, H-r) up to (0, r) exclusive.
    QCOMPARE(at(image, 0, 13), kLight);
    // Well inside the rounding nothing is drawn: the corners really are round.
    QCOMPARE(at(image, 0, 3), kBackground);
    QCOMPARE(at(image, 3, 0), kBackground);
    QCOMPARE(at(image, 24, 3), kBackground);
    QCOMPARE(at(image, 21, 24), kBackground);
    // A clear brush fills nothing.
    QCOMPARE(at(image, 12, 12), kBackground);

    bevel.setBrush(QBrush(QColor(10, 20, 200)));
    const QImage filled = render(bevel);
    QCOMPARE(at(filled, 12, 12), QColor(10, 20, 200));
    QCOMPARE(at(filled, 0, 3), kBackground);

    // A wider bevel with the default 11 %: r = 4.
    TKRBevel wide;
    wide.resize(60, 40);
    const QImage edges = render(wide);
    QCOMPARE(at(edges, 0, 20), kLight);  // left, C1
    QCOMPARE(at(edges, 30, 0), kLight);  // top, C1
    QCOMPARE(at(edges, 59, 20), kDark);  // right, C2
    QCOMPARE(at(edges, 30, 39), kDark);  // bottom, C2
    QCOMPARE(at(edges, 0, 0), kBackground);
    QCOMPARE(at(edges, 59, 39), kBackground);
}

void TestUiPanels::shapePixels_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<int>("style");
    QTest::addColumn<QList<Pixel>>("pixels");
    const int raised = TKRBevel::bsRaised;
    // Box: the lines end before their end point, the bottom one before (0, 7), the top
    // one before (9, 0).
    QTest::newRow("box")
        << int(TKRBevel::bsBox) << raised
        << QList<Pixel>{{0, 0, kLight}, {0, 7, kLight}, {8, 0, kLight}, {9, 0, kDark}, {9, 7, kDark}, {4, 7, kDark}, {4, 4, kBackground}};
    QTest::newRow("box lowered: colours swap")
        << int(TKRBevel::bsBox) << int(TKRBevel::bsLowered) << QList<Pixel>{{0, 0, kDark}, {9, 7, kLight}};
    // Frame: outer box (0,0,W-2,H-2) in C1, inner box (1,1,W-1,H-1) in C2, the corner of
    // the outer box drawn last.
    QTest::newRow("frame") << int(TKRBevel::bsFrame) << raised
                           << QList<Pixel>{{0, 0, kLight}, {9, 7, kDark}, {1, 1, kDark}, {8, 6, kLight}};
    QTest::newRow("bottom line") << int(TKRBevel::bsBottomLine) << raised
                                 << QList<Pixel>{{0, 6, kLight}, {9, 7, kDark}, {5, 0, kBackground}};
    QTest::newRow("right line") << int(TKRBevel::bsRightLine) << raised
                                << QList<Pixel>{{8, 0, kLight}, {9, 7, kDark}, {0, 4, kBackground}};
    QTest::newRow("top line") << int(TKRBevel::bsTopLine) << raised << QList<Pixel>{{9, 0, kLight}, {9, 1, kDark}};
    QTest::newRow("left line") << int(TKRBevel::bsLeftLine) << raised << QList<Pixel>{{0, 7, kLight}, {1, 7, kDark}};
}

void TestUiPanels::shapePixels()
{
    QFETCH(int, shape);
    QFETCH(int, style);
    QFETCH(QList<Pixel>, pixels);
    TKRBevel bevel;
    bevel.resize(10, 8);
    bevel.setShape(TKRBevel::TKRBevelShape(shape));
    bevel.setStyle(TKRBevel::TKRBevelStyle(style));
    const QImage image = render(bevel);
    for (const Pixel &p : pixels)
        QVERIFY2(at(image, p.x, p.y) == p.colour,
                 qPrintable(QStringLiteral("(%1, %2) is %3, not %4").arg(p.x).arg(p.y).arg(at(image, p.x, p.y).name(), p.colour.name())));
}

void TestUiPanels::flatStyleUsesBrushColour()
{
    TKRBevel bevel;
    bevel.resize(10, 8);
    bevel.setShape(TKRBevel::bsBox);
    bevel.setStyle(TKRBevel::bsFlat);
    bevel.setBrush(QBrush(QColor(200, 0, 0), Qt::NoBrush));
    const QImage image = render(bevel);
    QCOMPARE(at(image, 0, 0), QColor(200, 0, 0));
    QCOMPARE(at(image, 9, 7), QColor(200, 0, 0));
}

void TestUiPanels::emptyCaptionMeasuresOneLine()
{
    TKRBevel bevel;
    bevel.setCaption(QStringLiteral("Off"));
    const int oneLine = bevel.measuredCaptionBottom();
    QVERIFY(oneLine > 0);
    bevel.setCaption(QString());
    QCOMPARE(bevel.measuredCaptionBottom(), oneLine);
    bevel.setShowAccelChar(true);
    bevel.setCaption(QStringLiteral("&"));
    QCOMPARE(bevel.measuredCaptionBottom(), oneLine);
    // Two lines measure lower.
    bevel.setCaption(QStringLiteral("On\nOff"));
    QVERIFY(bevel.measuredCaptionBottom() > oneLine);
}

void TestUiPanels::autoSizeRightAlignedGrowsToTheLeft()
{
    QWidget parent;
    parent.resize(400, 100);
    auto *bevel = new TKRBevel(&parent);
    bevel->setGeometry(200, 10, 53, 38);
    bevel->setAlignment(TKRBevel::taRightJustify);
    bevel->setCaption(QStringLiteral("On"));
    bevel->setAutoSize(true);
    const QFontMetrics metrics(bevel->font());
    QVERIFY(qAbs(bevel->width() - metrics.horizontalAdvance(QStringLiteral("On"))) <= 2);
    QCOMPARE(bevel->height(), metrics.height());
    QCOMPARE(bevel->geometry().right(), 252); // right edge kept
    const int shortLeft = bevel->x();

    bevel->setCaption(QStringLiteral("A much longer caption"));
    QVERIFY(bevel->width() > metrics.horizontalAdvance(QStringLiteral("On")));
    QCOMPARE(bevel->geometry().right(), 252);
    QVERIFY(bevel->x() < shortLeft);
    QCOMPARE(bevel->y(), 10);
}

void TestUiPanels::autoSizeOtherAlignmentsKeepLeftEdge()
{
    QWidget parent;
    auto *bevel = new TKRBevel(&parent);
    bevel->setGeometry(50, 10, 53, 38);
    bevel->setCaption(QStringLiteral("On"));
    bevel->setAutoSize(true);
    QCOMPARE(bevel->x(), 50);
    bevel->setCaption(QStringLiteral("A much longer caption"));
    QCOMPARE(bevel->x(), 50);
    // An empty caption still keeps one line of height.
    bevel->setCaption(QString());
    QCOMPARE(bevel->height(), QFontMetrics(bevel->font()).height());
    QVERIFY(bevel->width() > 0);
    // Off: the size stays where it is.
    bevel->setAutoSize(false);
    const QSize kept = bevel->size();
    bevel->setCaption(QStringLiteral("A much longer caption"));
    QCOMPARE(bevel->size(), kept);
}

void TestUiPanels::bevelClick()
{
    TKRBevel bevel;
    QSignalSpy clicks(&bevel, &TKRBevel::OnClick);
    QTest::mouseClick(&bevel, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.first().first().value<QObject *>(), &bevel);
}

void TestUiPanels::panelRecordsHomeAtFirstPaint()
{
    QWidget window;
    window.resize(300, 200);
    auto *home = new QWidget(&window);
    home->setGeometry(10, 10, 280, 180);
    auto *panel = new TKRPanel(home);
    panel->setGeometry(5, 6, 100, 80);
    QVERIFY(!panel->homeRecorded());
    QCOMPARE(panel->homeContainer(), nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(panel->homeRecorded());
    QCOMPARE(panel->homeContainer(), home);
    QCOMPARE(panel->homeGeometry(), QRect(5, 6, 100, 80));
    // Later moves do not change the record.
    panel->setGeometry(0, 0, 50, 50);
    panel->repaint();
    QCOMPARE(panel->homeGeometry(), QRect(5, 6, 100, 80));
    QVERIFY(!panel->isFloating());
}

void TestUiPanels::closingFloatingWindowRestoresHomeGeometry()
{
    QWidget window;
    window.resize(300, 200);
    auto *home = new QWidget(&window);
    home->setGeometry(10, 10, 280, 180);
    auto *panel = new TKRPanel(home);
    panel->setDockCaption(QStringLiteral("Output 2"));
    panel->setGeometry(5, 6, 100, 80);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(panel->homeRecorded());

    QSignalSpy started(panel, &TKRPanel::OnStartDock);
    QSignalSpy ended(panel, &TKRPanel::OnEndDock);
    panel->floatOut(QPoint(400, 300));
    QVERIFY(panel->isFloating());
    QWidget *floating = panel->floatingWindow();
    QVERIFY(floating && floating->isWindow() && floating != &window);
    QCOMPARE(floating->windowTitle(), QStringLiteral("Output 2"));
    QVERIFY(panel->isVisible());
    QCOMPARE(started.count(), 1);
    floating->resize(250, 240); // resized while floating

    QPointer<QWidget> gone(floating);
    floating->close();
    QTRY_VERIFY(!panel->isFloating());
    QCOMPARE(panel->parentWidget(), home);
    QCOMPARE(panel->geometry(), QRect(5, 6, 100, 80));
    QVERIFY(panel->isVisible());
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended.first().at(1).value<QObject *>(), home);
    QTRY_VERIFY(gone.isNull()); // the floating window is gone

    // It floats out again as often as the operator likes.
    panel->floatOut();
    QVERIFY(panel->isFloating());
    panel->dockBack();
    QVERIFY(!panel->isFloating());
    QCOMPARE(panel->geometry(), QRect(5, 6, 100, 80));
}

void TestUiPanels::dockBackIntoLayoutPlace()
{
    QWidget window;
    auto *home = new QWidget(&window);
    auto *windowLayout = new QVBoxLayout(&window);
    windowLayout->addWidget(home);
    auto *layout = new QVBoxLayout(home);
    auto *above = new QWidget(home);
    auto *panel = new TKRPanel(home);
    auto *below = new QWidget(home);
    layout->addWidget(above);
    layout->addWidget(panel);
    layout->addWidget(below);
    window.resize(200, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(panel->homeRecorded());

    panel->floatOut();
    QCOMPARE(layout->indexOf(panel), -1);
    panel->floatingWindow()->close();
    QTRY_VERIFY(!panel->isFloating());
    QCOMPARE(layout->indexOf(panel), 1);
    QCOMPARE(layout->indexOf(below), 2);
}

void TestUiPanels::dockCaptionFollowsWhileFloating()
{
    QWidget window;
    auto *panel = new TKRPanel(&window);
    window.resize(200, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    panel->setDockCaption(QStringLiteral("Config"));
    panel->floatOut();
    QCOMPARE(panel->floatingWindow()->windowTitle(), QStringLiteral("Config"));
    panel->setDockCaption(QStringLiteral("Konfiguration"));
    QCOMPARE(panel->floatingWindow()->windowTitle(), QStringLiteral("Konfiguration"));
    panel->setProperty("DockCaption", QStringLiteral("X"));
    QCOMPARE(panel->floatingWindow()->windowTitle(), QStringLiteral("X"));
    panel->dockBack();
    QCOMPARE(panel->DockCaption(), QStringLiteral("X"));
}

void TestUiPanels::operatorDragsPanelOutAndBack()
{
    QWidget window;
    window.resize(300, 200);
    window.move(100, 100);
    auto *home = new QWidget(&window);
    home->setGeometry(0, 0, 300, 200);
    auto *panel = new TKRPanel(home);
    panel->setGeometry(10, 10, 120, 80);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(panel->homeRecorded());

    // Not floatable: a drag does nothing.
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(panel, QPoint(60, 60));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(60, 60));
    QVERIFY(!panel->isFloating());

    panel->setFloatable(true);
    QSignalSpy started(panel, &TKRPanel::OnStartDock);
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(panel, QPoint(40, 40));
    QVERIFY(panel->isFloating());
    QCOMPARE(started.count(), 1);
    // Released far outside the home container: it stays out.
    const QPoint outside = panel->mapFromGlobal(window.mapToGlobal(QPoint(600, 500)));
    QTest::mouseMove(panel, outside);
    QTest::mouseRelease(panel, Qt::LeftButton, {}, panel->mapFromGlobal(window.mapToGlobal(QPoint(600, 500))));
    QVERIFY(panel->isFloating());

    // Dragged again and dropped over the home container: docked.
    panel->dockBack();
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(panel, QPoint(30, 30));
    QVERIFY(panel->isFloating());
    const QPoint over = window.mapToGlobal(QPoint(150, 100));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, panel->mapFromGlobal(over));
    QVERIFY(!panel->isFloating());
    QCOMPARE(panel->geometry(), QRect(10, 10, 120, 80));
}

void TestUiPanels::imageClick()
{
    TImage image;
    image.resize(40, 40);
    QSignalSpy clicks(&image, &TImage::OnClick);
    QTest::mouseClick(&image, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.first().first().value<QObject *>(), &image);
    QTest::mouseClick(&image, Qt::RightButton);
    QCOMPARE(clicks.count(), 1);
    // Released outside: no click.
    QTest::mousePress(&image, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&image, Qt::LeftButton, {}, QPoint(60, 5));
    QCOMPARE(clicks.count(), 1);
}

void TestUiPanels::imagePictureProvider()
{
    TImage plain;
    plain.setPicture(QStringLiteral("PIHINT"));
    QCOMPARE(plain.Picture(), QStringLiteral("PIHINT"));

    QStringList asked;
    TImage::setPictureProvider([&asked](const QString &name) {
        asked << name;
        QPixmap pixmap(7, 3);
        pixmap.fill(Qt::red);
        return pixmap;
    });
    TImage image;
    image.setProperty("Picture", QStringLiteral("OUT2ON"));
    QCOMPARE(asked, QStringList{"OUT2ON"});
    QCOMPARE(image.pixmap().size(), QSize(7, 3));
    TImage::setPictureProvider({});
    QVERIFY(!TImage::hasPictureProvider());
}

void TestUiPanels::radioGroupItemIndex()
{
    TRadioGroup group;
    QSignalSpy clicks(&group, &TRadioGroup::OnClick);
    group.setItems({"P", "PI", "PID"});
    QCOMPARE(group.count(), 3);
    QCOMPARE(group.ItemIndex(), -1);
    for (int i = 0; i < 3; ++i)
        QVERIFY(!group.button(i)->isChecked());

    group.setItemIndex(1);
    QCOMPARE(group.ItemIndex(), 1);
    QVERIFY(group.button(1)->isChecked());
    group.setItemIndex(2);
    QVERIFY(!group.button(1)->isChecked());
    QVERIFY(group.button(2)->isChecked());
    // No item at all can be checked again.
    group.setItemIndex(-1);
    QCOMPARE(group.ItemIndex(), -1);
    for (int i = 0; i < 3; ++i)
        QVERIFY(!group.button(i)->isChecked());
    group.setItemIndex(7);
    QCOMPARE(group.ItemIndex(), -1);
    group.setProperty("ItemIndex", 0);
    QVERIFY(group.button(0)->isChecked());
    QCOMPARE(clicks.count(), 0); // code fires nothing
}

void TestUiPanels::radioGroupOperatorClick()
{
    TRadioGroup group;
    group.setItems({"P", "PI", "PID"});
    group.resize(120, 120);
    group.show();
    QVERIFY(QTest::qWaitForWindowExposed(&group));
    QSignalSpy clicks(&group, &TRadioGroup::OnClick);
    QTest::mouseClick(group.button(2), Qt::LeftButton, {}, QPoint(6, group.button(2)->height() / 2));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.first().first().value<QObject *>(), &group);
    QCOMPARE(group.ItemIndex(), 2);
    // The index is set when the handler runs.
    int seen = -2;
    connect(&group, &TRadioGroup::OnClick, this, [&] { seen = group.ItemIndex(); });
    QTest::mouseClick(group.button(0), Qt::LeftButton, {}, QPoint(6, group.button(0)->height() / 2));
    QCOMPARE(seen, 0);
    QVERIFY(!group.button(2)->isChecked());
}

void TestUiPanels::radioGroupItemsAndTexts()
{
    TRadioGroup group;
    group.setItems({"P", "PI", "PID"});
    group.setItemIndex(2);
    group.setItemText(1, QStringLiteral("PI-Regler"));
    QCOMPARE(group.itemText(1), QStringLiteral("PI-Regler"));
    QCOMPARE(group.button(1)->text(), QStringLiteral("PI-Regler"));
    QCOMPARE(group.Items().at(1), QStringLiteral("PI-Regler"));
    group.setItemText(5, QStringLiteral("ignored"));
    QCOMPARE(group.count(), 3);
    // Fewer items: an index no longer there becomes -1.
    group.setItems({"A", "B"});
    QCOMPARE(group.ItemIndex(), -1);
    group.setItemIndex(1);
    group.setItems({"A", "B", "C"});
    QCOMPARE(group.ItemIndex(), 1);
    QVERIFY(group.button(1)->isChecked());
    QCOMPARE(group.button(3), nullptr);

    // A form description may give the index before the items.
    TRadioGroup loaded;
    loaded.setProperty("ItemIndex", 2);
    QCOMPARE(loaded.ItemIndex(), -1);
    loaded.setProperty("Items", QStringList{"Auto", "Manual", "Input ON > manual operation"});
    QCOMPARE(loaded.ItemIndex(), 2);
    QVERIFY(loaded.button(2)->isChecked());
}

// A short accidental drag on a free spot of a tab leaves the panel where it is: only a
// drag beyond the platform's drag distance floats it out.
void TestUiPanels::aDragFloatsOnlyBeyondTheDragDistance_data()
{
    QTest::addColumn<QPoint>("move");
    QTest::addColumn<bool>("floats");
    const int d = QApplication::startDragDistance();
    QTest::newRow("right by the drag distance") << QPoint(d, 0) << false;
    QTest::newRow("down by the drag distance") << QPoint(0, d) << false;
    QTest::newRow("diagonal within the distance") << QPoint(d / 2, d / 2) << false;
    QTest::newRow("one pixel beyond") << QPoint(d + 1, 0) << true;
    QTest::newRow("far") << QPoint(4 * d, 3 * d) << true;
}

void TestUiPanels::aDragFloatsOnlyBeyondTheDragDistance()
{
    QFETCH(QPoint, move);
    QFETCH(bool, floats);
    QWidget window;
    window.resize(300, 200);
    window.move(100, 100);
    auto *panel = new TKRPanel(&window);
    panel->setGeometry(10, 10, 200, 150);
    panel->setFloatable(true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(panel->homeRecorded());
    const QPoint start(20, 20);
    QTest::mousePress(panel, Qt::LeftButton, {}, start);
    QTest::mouseMove(panel, start + move);
    QCOMPARE(panel->isFloating(), floats);
    QTest::mouseRelease(panel, Qt::LeftButton, {}, panel->isFloating() ? QPoint(5, 5) : start + move);
    // A move without a pressed button never floats the panel.
    panel->dockBack();
    QTest::mouseMove(panel, start + QPoint(60, 60));
    QVERIFY(!panel->isFloating());
}

// Wherever it is dragged to, a floating window's title bar (its top edge) stays on a
// screen, so that it can always be moved and closed.
void TestUiPanels::aFloatingWindowOpensWithItsTitleBarOnAScreen_data()
{
    QTest::addColumn<QPoint>("offset"); // from the screen's available top left
    QTest::newRow("above the screen") << QPoint(50, -14);
    QTest::newRow("far above and left") << QPoint(-500, -300);
    QTest::newRow("below the screen") << QPoint(50, 5000);
    QTest::newRow("right of the screen") << QPoint(5000, 50);
    QTest::newRow("on the screen") << QPoint(50, 60);
}

void TestUiPanels::aFloatingWindowOpensWithItsTitleBarOnAScreen()
{
    QFETCH(QPoint, offset);
    QWidget window;
    window.resize(300, 200);
    auto *panel = new TKRPanel(&window);
    panel->setGeometry(10, 10, 200, 150);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect screen = window.screen()->availableGeometry();
    panel->floatOut(screen.topLeft() + offset);
    QVERIFY(panel->isFloating());
    const QRect frame = panel->floatingWindow()->frameGeometry();
    QVERIFY2(screen.contains(frame.topLeft()) && screen.contains(QPoint(frame.left() + 40, frame.top() + 10)),
             qPrintable(QStringLiteral("frame at %1,%2 outside %3,%4 %5x%6")
                            .arg(frame.left()).arg(frame.top()).arg(screen.left()).arg(screen.top())
                            .arg(screen.width()).arg(screen.height())));
    if (offset == QPoint(50, 60))
        QCOMPARE(frame.topLeft(), screen.topLeft() + offset);
}

QTEST_MAIN(TestUiPanels)
#include "tst_ui_panels.moc"
