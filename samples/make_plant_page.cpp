// Writes the sample page plant.krpage: an overview of the three KR 715 flow
// transmitters of the default simulated network (FT101, FT102, FT103) made of
// the seven component libraries, the way a designer user would build it.
//
//   make_plant_page OUTPUT.krpage
//
// The symbols are made by the real libraries in the "components" folder beside
// the program and the page is written by the designer's own page writer, so
// the page is made again after a change of a library's stream format by
// building the target plant_sample.
//
// The page: a title; per transmitter an opener, its name and its flow; a
// two-state symbol showing FT101's batch output. Per transmitter a floor (shown
// where it was designed, "on main") with a close button, value texts for flow,
// the two volumes and the setpoint (which can be typed), a track bar for the
// setpoint and a launcher that starts KR715Config on that transmitter (found
// beside the designer). FT101's floor is saved open, so the page starts with it.

#include "KrComponentIds.h"
#include "Divunit.h"
#include "KeloProServer.h"
#include "KrDesignerWindow.h"
#include "KrDialogService.h"
#include "OpenFloorInterface.h"

#include <QApplication>
#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <cstdio>
#include <stdexcept>

namespace {

using namespace krcomponentids;

// Refuses every dialog: the generator runs without anybody to answer.
class Silent : public KrDialogService {
public:
    void Warning(QWidget *, const QString &, const QString &text) override
    {
        throw std::runtime_error(text.toStdString());
    }
};

// The pictures of the buttons, drawn here and kept in the page as PNG.
enum class Icon { Open, Close, Lamp };

QByteArray Picture(Icon icon, QColor colour)
{
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour.darker(160), 2));
    p.setBrush(colour);
    switch (icon) {
    case Icon::Open: {
        QPainterPath arrow;
        arrow.moveTo(10, 6);
        arrow.lineTo(26, 16);
        arrow.lineTo(10, 26);
        arrow.closeSubpath();
        p.drawPath(arrow);
        break;
    }
    case Icon::Close:
        p.setPen(QPen(colour, 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(8, 8, 24, 24);
        p.drawLine(24, 8, 8, 24);
        break;
    case Icon::Lamp:
        p.drawEllipse(QRectF(5, 5, 22, 22));
        break;
    }
    p.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    return png;
}

class Builder {
public:
    explicit Builder(KrDesignerWindow *w) : m_w(w) {}

    TKrSymbol *Make(const QString &guid, const QString &name, int left, int top, int width, int height, TKrSymbol *owner = nullptr)
    {
        const KrPaletteEntry *entry = m_w->Palette().Entry(guid);
        if (!entry || !entry->library)
            throw std::runtime_error("component library " + guid.toStdString() + " is not in the components folder");
        TKrSymbol *s = m_w->Page()->CreateSymbol(entry->library, name, TRect(left, top, left + width, top + height), owner);
        if (!s || s->Name() != name)
            throw std::runtime_error("cannot make " + name.toStdString());
        return s;
    }

    // Sets a published property of the symbol (element empty) or of one of its
    // elements, named by its label.
    static void Set(TKrSymbol *s, const QString &element, const char *property, const QVariant &value)
    {
        // "On action/Image": an element of an element.
        QObject *target = s;
        for (const QString &label : element.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            if (auto *c = qobject_cast<TKrChild *>(target))
                target = c->FindElement(label);
            else
                target = s->FindElement(label);
            if (!target)
                break;
        }
        if (!target)
            throw std::runtime_error(s->Name().toStdString() + " has no element " + element.toStdString());
        if (!target->setProperty(property, value))
            throw std::runtime_error(s->Name().toStdString() + ": cannot set " + element.toStdString() + "." + property);
        if (target->property(property) != value && target->property(property).toString() != value.toString())
            throw std::runtime_error(s->Name().toStdString() + ": " + element.toStdString() + "." + property + " did not take the value");
    }

    // A text without a link: shows its caption.
    TKrSymbol *Label(const QString &name, const QString &caption, int left, int top, int width, int height, TKrSymbol *owner = nullptr)
    {
        TKrSymbol *t = Make(kTextView, name, left, top, width, height, owner);
        Set(t, QStringLiteral("Text format"), "Caption", caption);
        Set(t, QStringLiteral("Text format"), "EditEnable", false);
        t->Validate();
        return t;
    }

    // A value text showing a variable with a prefix and fixed decimals.
    TKrSymbol *Value(const QString &name, const QString &physId, const QString &prefix, const QString &suffix, int left, int top, int width, int height, TKrSymbol *owner, bool editable)
    {
        TKrSymbol *t = Make(kTextView, name, left, top, width, height, owner);
        Set(t, QStringLiteral("Display format"), "Enabled", true);
        Set(t, QStringLiteral("Display format"), "Kind", 1);
        Set(t, QStringLiteral("Display format"), "Decimals", 2);
        Set(t, QStringLiteral("Display format"), "Prefix", prefix);
        Set(t, QStringLiteral("Display format"), "Suffix", suffix);
        Set(t, QStringLiteral("Text format"), "EditEnable", editable);
        Set(t, QStringLiteral("Variable link"), "PhysId", physId);
        t->Validate();
        return t;
    }

private:
    KrDesignerWindow *m_w;
};

void BuildPage(KrDesignerWindow *w)
{
    Builder b(w);
    b.Label(QStringLiteral("Title"), QStringLiteral("Plant overview: KR 715 flow transmitters"), 16, 12, 300, 44);

    const QStringList devices{QStringLiteral("FT101"), QStringLiteral("FT102"), QStringLiteral("FT103")};
    const int floorLeft = 336;
    const int floorWidth = 672;
    const int floorHeight = 240;
    for (int i = 0; i < devices.size(); ++i) {
        const QString &d = devices[i];
        const int rowTop = 72 + i * 64;
        const int floorTop = 16 + i * (floorHeight + 12);

        // The floor of the transmitter, with what it shows.
        TKrSymbol *floor = b.Make(kFloor, QStringLiteral("Floor") + d, floorLeft, floorTop, floorWidth, floorHeight);
        Builder::Set(floor, QStringLiteral("Show"), "Value", 1); // on main: where the opener's paper position says
        b.Label(QStringLiteral("Caption") + d, QStringLiteral("Transmitter %1").arg(d), 12, 8, 300, 28, floor);
        TKrSymbol *close = b.Make(kClose, QStringLiteral("Close") + d, floorWidth - 48, 8, 36, 36, floor);
        Builder::Set(close, QStringLiteral("Image"), "Picture", Picture(Icon::Close, QColor(200, 40, 40)));
        Builder::Set(close, QStringLiteral("Image"), "Stretch", 3);
        close->Validate();
        b.Value(QStringLiteral("Flow") + d, d + QStringLiteral(".Flow"), QStringLiteral("Flow: "), QString(), 12, 48, 220, 32, floor, false);
        b.Value(QStringLiteral("VolumeA") + d, d + QStringLiteral(".Volume1"), QStringLiteral("Volume 1: "), QString(), 12, 86, 220, 32, floor, false);
        b.Value(QStringLiteral("VolumeB") + d, d + QStringLiteral(".Volume2"), QStringLiteral("Volume 2: "), QString(), 12, 124, 220, 32, floor, false);
        b.Value(QStringLiteral("SetPoint") + d, d + QStringLiteral(".SetPoint"), QStringLiteral("Setpoint: "), QString(), 12, 162, 220, 32, floor, true);
        TKrSymbol *glider = b.Make(kGlider, QStringLiteral("Track") + d, 248, 48, 400, 72, floor);
        Builder::Set(glider, QStringLiteral("Scale"), "Min", 0.0);
        Builder::Set(glider, QStringLiteral("Scale"), "Max", 1000.0);
        Builder::Set(glider, QStringLiteral("Scale"), "AxisKind", 3); // below a horizontal track
        Builder::Set(glider, QStringLiteral("Scale"), "Direction", 2); // the minimum at the left
        Builder::Set(glider, QStringLiteral("Scale"), "Visible", true);
        Builder::Set(glider, QStringLiteral("Variable link"), "PhysId", d + QStringLiteral(".SetPoint"));
        glider->Validate();
        // Found beside the designer (the host program's folder), in the build
        // tree and installed alike.
        TKrSymbol *launch = b.Make(kLauncher, QStringLiteral("Config") + d, 248, 144, 200, 48, floor);
        Builder::Set(launch, QString(), "ExecProc", QStringLiteral("KR715Config"));
        Builder::Set(launch, QStringLiteral("Execute params"), "Value", d);
        Builder::Set(launch, QStringLiteral("Caption"), "Caption", QStringLiteral("KR715Config %1").arg(d));
        launch->Validate();

        // Its row on the overview: the opener, the name and the flow.
        TKrSymbol *open = b.Make(kOpen, QStringLiteral("Open") + d, 16, rowTop, 40, 40);
        Builder::Set(open, QStringLiteral("Open ref."), "Value", floor->Name());
        Builder::Set(open, QStringLiteral("Image"), "Picture", Picture(Icon::Open, QColor(40, 130, 40)));
        Builder::Set(open, QStringLiteral("Image"), "Stretch", 3);
        Builder::Set(open, QString(), "PaperLeft", double(floorLeft) / WorkAreaW);
        Builder::Set(open, QString(), "PaperTop", double(floorTop) / WorkAreaH);
        open->Validate();
        b.Label(QStringLiteral("Name") + d, d, 64, rowTop + 4, 64, 32);
        b.Value(QStringLiteral("OverviewFlow") + d, d + QStringLiteral(".Flow"), QStringLiteral("Flow "), QString(), 132, rowTop + 4, 188, 32, nullptr, false);
    }

    // FT101's batch output as a two-state symbol.
    b.Label(QStringLiteral("BatchCaption"), QStringLiteral("FT101 batch output"), 72, 276, 248, 32);
    TKrSymbol *bistate = b.Make(kBistate, QStringLiteral("BatchFT101"), 16, 268, 48, 48);
    Builder::Set(bistate, QString(), "EnableOnAction", true);
    Builder::Set(bistate, QString(), "EnableVariableLink", true);
    Builder::Set(bistate, QStringLiteral("Variable link"), "PhysId", QStringLiteral("FT101.Output2"));
    Builder::Set(bistate, QStringLiteral("On action/Image"), "Picture", Picture(Icon::Lamp, QColor(60, 200, 60)));
    Builder::Set(bistate, QStringLiteral("On action/Image"), "Stretch", 3);
    Builder::Set(bistate, QStringLiteral("Off action/Image"), "Picture", Picture(Icon::Lamp, QColor(150, 150, 150)));
    Builder::Set(bistate, QStringLiteral("Off action/Image"), "Stretch", 3);
    bistate->Validate();

    // The page starts with FT101's floor open; in run mode the others stay
    // hidden until their openers show them.
    auto *open = Supports<IKROpen>(w->Page()->FindSymbol(QStringLiteral("OpenFT101")));
    if (!open)
        throw std::runtime_error("OpenFT101 is no opener");
    open->OpenFloor();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("KR"));
    QApplication::setApplicationName(QStringLiteral("KrDesigner"));
    const QStringList args = QApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: make_plant_page OUTPUT.krpage\n");
        return 2;
    }
    kelopro::registerServer();
    try {
        Silent dialogs;
        KrDesignerWindow w(&dialogs);
        BuildPage(&w);
        if (!w.SavePageFile(args.at(1)))
            return 1;
        QTextStream(stdout) << "Wrote " << args.at(1) << " (" << w.Page()->Symbols().size() << " symbols)\n";
    } catch (const std::exception &e) {
        std::fprintf(stderr, "make_plant_page: %s\n", e.what());
        return 1;
    }
    return 0;
}
