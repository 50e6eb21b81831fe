#include "PollCycle.h"

#include "DeviceLink.h"
#include "KRBevel.h"
#include "KREdit.h"
#include "NumberFormat.h"
#include "RegisterCodec.h"
#include "RegisterDecoder.h"

#include <QComboBox>
#include <QLineEdit>
#include <cmath>

namespace {

constexpr int NoContact = VariableServer::NoContactCode;
constexpr int KR715 = VariableServer::KR715DeviceType;

} // namespace


PollCycle::PollCycle(KR715Session &session, DeviceLink &link, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_link(link)
{
}

QString PollCycle::text(const char *name) const
{
    auto *edit = m_session.controls.get<QLineEdit>(QLatin1String(name));
    return edit ? edit->text() : QString();
}

// A value shown again unchanged is not set again (no repaint, no change rules), and a
// field the operator is typing in keeps the operator's text.
void PollCycle::setText(const char *name, const QString &text)
{
    TKREdit::showText(m_session.controls.get<QLineEdit>(QLatin1String(name)), text);
}

int PollCycle::listIndex(const char *name) const
{
    auto *list = m_session.controls.get<QComboBox>(QLatin1String(name));
    return list ? list->currentIndex() : -1;
}

double PollCycle::timeDivisor() const
{
    return listIndex("cmbInpFlowUnitConst") == 0 ? 60.0 : 3600.0;
}

void PollCycle::ti715UpdateDataTimer()
{
    DeviceState &device = m_session.device;
    VariableServer *server = m_session.server.get();

    // 1. Does the device still answer, and is it still a KR 715?
    int type = 0;
    if (device.deviceAccepted && server) {
        try {
            m_link.selectDeviceVariable(QStringLiteral(".DeviceType"));
            type = variantToInt32(server->value());
        } catch (const automation::AutomationError &) {
            type = 0;
        }
        m_link.CheckServerError();
        device.contact = device.lastErrorCode != NoContact;
    }
    // 2. Without contact the cycle stands still at its slot.
    if (!device.contact || type != KR715)
        return;

    // 3. Identification.
    setText("edGenDeviceNo", QString::number(type));
    try {
        m_link.selectDeviceVariable(QStringLiteral(".PrgVers"));
        setText("edGenPrgVer", QString::number(variantToInt32(server->value())));
    } catch (const automation::AutomationError &) {
    }

    // 4. One variable of the cycle; 5. the next one at the next tick.
    const int slot = m_session.pollSlot;
    serveSlot(slot);
    m_session.pollSlot = slot % KR715Session::SlotCount + 1;
}

void PollCycle::serveSlot(int slot)
{
    ExchangeState &state = m_session.state(slot);
    try {
        m_link.selectDeviceVariable(pollVariable(slot));
        switch (state) {
        case ExchangeState::WritePending:
            if (writeSlot(slot))
                state = ExchangeState::Reading;
            break;
        case ExchangeState::Reading:
            readSlot(slot);
            break;
        case ExchangeState::Editing:
            break;
        }
    } catch (const automation::AutomationError &) {
        // A failed access changes nothing: the display keeps its text and a pending
        // write stays pending for the next turn.
    }
}

bool PollCycle::writeSlot(int slot)
{
    VariableServer &server = *m_session.server;
    auto putReal = [&](const char *source) {
        const QString t = text(source);
        double v = 0;
        // The device holds single-precision reals: a value beyond their range is no value.
        if (t.isEmpty() || !numfmt::parseReal(t, v) || !std::isfinite(static_cast<float>(v)))
            return false;
        server.setValue(v);
        return true;
    };
    switch (slot) {
    case SlotMeterSize:
    case SlotTi:
    case SlotScale:
        return putReal(qPrintable(registerEditName(slot)));
    case SlotPiCode:
    case SlotMeterNumber:
    case SlotCode1:
    case SlotCode2:
    case SlotCode3: {
        const std::optional<qint32> v = regcodec::codeWriteValue(text(qPrintable(registerEditName(slot))));
        if (!v)
            return false;
        server.setValue(*v);
        return true;
    }
    case SlotFlow:
        return putReal("edDataFlow");
    case SlotVolume1:
        return putReal("edDataVol1");
    case SlotVolume2:
        return putReal("edDataVol2");
    case SlotSetPoint:
        return putReal("edDataSetP");
    case SlotOutput2:
    case SlotOutput3: {
        auto *on = m_session.controls.get<QWidget>(slot == SlotOutput2 ? QStringLiteral("imgDataOut2On")
                                                                         : QStringLiteral("imgDataOut3On"));
        server.object().put(QStringLiteral("Value"), (on && !on->isHidden()) ? 1 : 0);
        return true;
    }
    case SlotAvailable:
        server.setValue(m_session.availableValue);
        return true;
    case SlotBatchStart:
        server.setValue(1);
        return true;
    default:
        // Values the device only reports have nothing to write: serve them as reads.
        readSlot(slot);
        return true;
    }
}

void PollCycle::readSlot(int slot)
{
    if (slot == SlotBatchStart)
        return; // nothing is read: Reading means no start is pending
    const QVariant value = m_session.server->value();
    emit valueRead(slot, value);
    auto real = [&] { return static_cast<double>(static_cast<float>(variantToDouble(value))); };

    if (slot <= SlotCode3) {
        const QString shown = isRealRegisterSlot(slot) ? numfmt::FormatSevenDigits(real())
                                                       : regcodec::sixDigitHex(variantToInt32(value));
        if (m_session.decoder)
            m_session.decoder->ShowRegisterRead(slot, shown);
        else
            setText(qPrintable(registerEditName(slot)), shown);
        if (slot == SlotCode3)
            m_session.initialLoadPending = false;
        return;
    }
    switch (slot) {
    case SlotFlow:
        setText("edDataFlow", numfmt::FormatSevenDigits(real()));
        setText("ed715Flow", text("edDataFlow"));
        break;
    case SlotVolume1:
        setText("edDataVol1", numfmt::FormatSevenDigits(real()));
        setText("ed715Vol1", text("edDataVol1"));
        break;
    case SlotVolume2:
        setText("edDataVol2", numfmt::FormatSevenDigits(real()));
        setText("ed715Vol2", text("edDataVol2"));
        break;
    case SlotInstantFlow:
        setText("edDataInsFlow", numfmt::FormatSevenDigits(real()));
        break;
    case SlotTCFlow:
        setText("edDataTCFlow", m_temperatureFault ? QStringLiteral("- - - - - - -") : numfmt::FormatSevenDigits(real()));
        break;
    case SlotTemperature: {
        setText("edDataTemp", numfmt::temperatureText(variantToDouble(value)));
        m_temperatureFault = text("edDataTemp") == QLatin1String("- - - - - - -");
        break;
    }
    case SlotSetPoint:
        setText("edDataSetP", numfmt::FormatSevenDigits(real()));
        setText("edOut3SetP", text("edDataSetP"));
        setText("edOut2SetP", text("edDataSetP"));
        break;
    case SlotInput1:
        if (auto *bevel = m_session.controls.get<TKRBevel>(QStringLiteral("pbevDataInp"))) {
            const bool on = variantToDouble(value) != 0;
            bevel->setStyle(on ? TKRBevel::bsLowered : TKRBevel::bsRaised);
            bevel->setCaption(on ? QStringLiteral("On") : QStringLiteral("Off"));
        }
        break;
    case SlotOutput2:
    case SlotOutput3: {
        const bool on = variantToDouble(value) != 0;
        const bool two = slot == SlotOutput2;
        if (auto *img = m_session.controls.get<QWidget>(two ? QStringLiteral("imgDataOut2On") : QStringLiteral("imgDataOut3On")))
            img->setVisible(on);
        if (auto *img = m_session.controls.get<QWidget>(two ? QStringLiteral("imgDataOut2Off") : QStringLiteral("imgDataOut3Off")))
            img->setVisible(!on);
        if (two)
            showOutput2Frequency();
        else
            showOutput3Values();
        break;
    }
    case SlotAvailable:
        m_session.availableValue = variantToDouble(value);
        setText("edDataManSetOut3", numfmt::FormatSevenDigits(m_session.availableValue));
        break;
    default:
        break;
    }
}

void PollCycle::showOutput2Frequency()
{
    static const double Resolution[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
    const int resolution = listIndex("cmbOut2Vol1Res");
    const char *source = nullptr;
    switch (listIndex("cmbOut2DataForVolCount")) {
    case 1: source = "edDataFlow"; break;
    case 2: source = "edDataTCFlow"; break;
    case 3: source = "edDataInsFlow"; break;
    default: break;
    }
    double v = 0;
    if (!source || resolution < 0 || resolution > 6 || !numfmt::parseReal(text(source), v)) {
        setText("edDataOut2FVal", QString());
        return;
    }
    setText("edDataOut2FVal", numfmt::generalText(v * Resolution[resolution] / timeDivisor()));
}

void PollCycle::showOutput3Values()
{
    double scale = 0;
    const bool haveScale = numfmt::parseReal(text("edOut3ScaleOut3"), scale);
    const int data = listIndex("cmbOut3DataForOut3");
    const double d = timeDivisor();

    // Frequency of the pulse output.
    const char *frequencySource = data == 1 ? "edDataFlow" : data == 2 ? "edDataTCFlow" : data == 5 ? "edDataInsFlow" : nullptr;
    double v = 0;
    if (frequencySource && haveScale && numfmt::parseReal(text(frequencySource), v) && std::isfinite(v * scale / d))
        setText("edDataOut3FVal", numfmt::generalText(v * scale / d));
    else
        setText("edDataOut3FVal", QString());

    const int function = listIndex("cmbOut3FuncOut3");
    if (function == 1) {
        // PI regulator: the regulator output as the device reports it.
        setText("edDataOut3AVal", numfmt::fixedText(m_session.availableValue, 7, 7));
    } else if (function == 2) {
        // Current output: the expected current in mA.
        bool ok = haveScale && scale != 0;
        double value = 0;
        switch (data) {
        case 1: ok = ok && numfmt::parseReal(text("edDataFlow"), value); break;
        case 2: ok = ok && numfmt::parseReal(text("edDataTCFlow"), value); break;
        case 3: ok = ok && numfmt::parseReal(text("edDataTemp"), value); break;
        case 4: value = m_session.availableValue; break;
        case 5: ok = ok && numfmt::parseReal(text("edDataInsFlow"), value); break;
        default: ok = false; break;
        }
        const double current = value / scale * 16 + 4;
        setText("edDataOut3AVal", ok && std::isfinite(current) ? numfmt::generalText(current) : QString());
    }
}

void PollCycle::edDataTempChange()
{
    auto *edit = m_session.controls.get<QLineEdit>(QStringLiteral("edDataTemp"));
    double v = 0;
    if (edit && numfmt::parseReal(edit->text(), v) && v < -200) {
        m_temperatureFault = true;
        edit->setText(QStringLiteral("- - - - - - -"));
        setText("edDataTCFlow", QStringLiteral("- - - - - - -"));
    }
}
