#include "RegisterEditorU.h"

#include "DialogService.h"
#include "EntryCheck.h"
#include "InpTabU.h"
#include "KRComboBox.h"
#include "KREdit.h"
#include "KRLanguage.h"
#include "NumberFormat.h"
#include "Out2TabU.h"
#include "Out3TabU.h"
#include "RegisterCodec.h"
#include "RegisterDigits.h"
#include "SettingWords.h"
#include "ToolkitControls.h"

#include <QLabel>
#include <QValidator>
#include <array>

namespace {

// The length limit of a field that shows a register: it limits what the operator
// types, while a register text put into the field by the program is shown whole (a
// line edit's own maximum length would cut it, and leaving the field unchanged would
// then write the cut text to the device).
class TypedLengthLimit : public QValidator {
public:
    TypedLengthLimit(int length, QObject *parent) : QValidator(parent), m_length(length) {}
    State validate(QString &input, int &) const override { return input.size() <= m_length ? Acceptable : Invalid; }

private:
    int m_length;
};

} // namespace

RegisterEditor::RegisterEditor(KR715Session &session, QWidget *window, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_window(window)
{
    static const char *const EnterFields[] = {"edDataManSetOut3", "edOut3ScaleOut3", "edOut3PiPBand", "edOut3PiTi",
                                              "edInpMeterSize", "edConE1", "edConE2", "edConE3", "edConE5",
                                              "edConE6", "edConE7", "edConE8"};
    for (const char *name : EnterFields) {
        auto *edit = session.controls.get<TKREdit>(QLatin1String(name));
        if (!edit)
            continue;
        if (!QLatin1String(name).startsWith(QLatin1String("edConE")) && edit->maxLength() < 32767) {
            edit->setValidator(new TypedLengthLimit(edit->maxLength(), edit));
            edit->setMaxLength(32767);
        }
        connect(edit, &TKREdit::OnEnter, this, &RegisterEditor::StandardEnter);
        if (qstrcmp(name, "edDataManSetOut3") != 0)
            connect(edit, &TKREdit::OnKREditUpDate, this, &RegisterEditor::StandardUpdate);
    }
    static const char *const Lists[] = {"cmbOut3FuncOut3", "cmbOut3DataForOut3", "cmbOut3PIRegCalcInp",
                                        "cmbOut3PIRegContrDir", "cmbOut2Vol1Res", "cmbOut2FuncOut",
                                        "cmbOut2DataForBatchLimit", "cmbOut2DataForVolCount", "cmbInpFlowUnitConst",
                                        "cmbInpFlowDirection", "cmbInpMode", "cmbInpTimeConst", "cmbInpFlowCalc",
                                        "cmbInpTempUnit", "cmbInpFunc", "cmbInpUnitChoice"};
    for (const char *name : Lists) {
        if (auto *l = list(name)) {
            connect(l, &TKRComboBox::OnDropDown, this, &RegisterEditor::CmbStdDropDown);
            connect(l, &TKRComboBox::OnExit, this, &RegisterEditor::CmbStandardExit);
        }
    }
}

void RegisterEditor::setTabs(Out3Tab *out3, Out2Tab *out2, InpTab *inp)
{
    m_out3 = out3;
    m_out2 = out2;
    m_inp = inp;
}

TKRComboBox *RegisterEditor::list(const char *name) const
{
    return m_session.controls.get<TKRComboBox>(QLatin1String(name));
}

TKREdit *RegisterEditor::registerEdit(int reg) const
{
    static const QString Names[] = {QString(), QStringLiteral("edConE1"), QStringLiteral("edConE2"),
                                    QStringLiteral("edConE3"), QStringLiteral("edConE4"), QStringLiteral("edConE5"),
                                    QStringLiteral("edConE6"), QStringLiteral("edConE7"), QStringLiteral("edConE8")};
    return reg >= 1 && reg <= 8 ? m_session.controls.get<TKREdit>(Names[reg]) : nullptr;
}

QString RegisterEditor::registerText(int reg) const
{
    TKREdit *edit = registerEdit(reg);
    return edit ? edit->text() : QString();
}

void RegisterEditor::setRegisterText(int reg, const QString &text)
{
    TKREdit *edit = registerEdit(reg);
    if (edit && edit->text() != text)
        edit->setText(text);
}

RegisterSnapshot RegisterEditor::currentSnapshot() const
{
    RegisterSnapshot s;
    for (int i = 0; i < RegisterSnapshot::Count; ++i)
        s.texts[static_cast<size_t>(i)] = registerText(RegisterSnapshot::registerOf(i));
    return s;
}

// --- list helpers -----------------------------------------------------------

void RegisterEditor::makePickList(TKRComboBox *list)
{
    if (list && list->isEditable()) {
        const int index = list->currentIndex();
        const QSignalBlocker blocker(list);
        list->setEditable(false);
        list->setCurrentIndex(index);
    }
}

void RegisterEditor::setIllegal(TKRComboBox *list)
{
    if (!list)
        return;
    list->SelectIndex(-1);
    const QSignalBlocker blocker(list);
    list->setEditable(true);
    list->setCurrentIndex(-1);
    list->setEditText(m_session.translate(QStringLiteral("Illegal Choice")));
}

void RegisterEditor::selectIndex(TKRComboBox *list, int index)
{
    if (!list)
        return;
    if (list->isEditable()) {
        makePickList(list);
        list->SelectIndex(-1);
    }
    if (list->SelectedIndex() != index)
        list->SelectIndex(index);
}

void RegisterEditor::showChoice(const char *name, const QString &registerText)
{
    const settingwords::Setting *setting = settingwords::find(QLatin1String(name));
    if (!setting)
        return;
    const std::optional<int> choice = settingwords::choiceOf(*setting, registerText);
    if (!choice)
        return;
    if (*choice == settingwords::IllegalChoice)
        setIllegal(list(name));
    else
        selectIndex(list(name), *choice);
}

// --- decoding ---------------------------------------------------------------

void RegisterEditor::ShowRegisterRead(int reg, const QString &text)
{
    ++m_decoding;
    setRegisterText(reg, text);
    DecodeRegister(reg);
    --m_decoding;
    if (online() && registerText(reg) != text && reg != 4)
        m_session.state(reg) = ExchangeState::WritePending;
}

void RegisterEditor::DecodeRegister(int reg)
{
    struct Spreading {
        int &depth;
        explicit Spreading(int &d) : depth(d) { ++depth; }
        ~Spreading() { --depth; }
    } spreading(m_spreading);
    const QString text = registerText(reg);
    // A field the operator is typing in (the serial number of the General tab, say)
    // keeps the operator's text.
    auto setField = [this](const char *name, const QString &t) {
        TKREdit::showText(m_session.controls.get<QLineEdit>(QLatin1String(name)), t);
    };
    switch (reg) {
    case 1:
        setField("edInpMeterSize", text);
        break;
    case 2:
        setField("edOut3PiTi", text);
        break;
    case 3:
        decodeE3(text);
        break;
    case 4:
        setField("edGenNAddr", text.left(6));
        break;
    case 5:
        setField("edOut3ScaleOut3", text);
        setField("edOut3PiPBand", text);
        break;
    case 6:
        decodeE6(text);
        break;
    case 7:
        decodeE7(text);
        break;
    case 8:
        decodeE8(text);
        break;
    default:
        break;
    }
}

void RegisterEditor::decodeE3(const QString &text)
{
    for (int k = 1; k <= 4; ++k)
        if (!regcodec::digit(text, k))
            return;
    const auto d5 = regcodec::digit(text, 5);
    if (!d5)
        return;
    showChoice("cmbOut3PIRegCalcInp", text);
    showChoice("cmbOut3PIRegContrDir", text);
    const auto d6 = regcodec::digit(text, 6);
    if (!d6)
        return;
    if (auto *mode = m_session.controls.get<TRadioGroup>(QStringLiteral("grpOut3PIRegMode")))
        if (const settingwords::Setting *setting = settingwords::find(QStringLiteral("grpOut3PIRegMode")))
            mode->setItemIndex(settingwords::choiceOf(*setting, text).value_or(settingwords::IllegalChoice));
    if (m_out3) {
        m_out3->cmbStdE3Change();
        m_out3->grpOut3PIRegModeClick();
    }
}

void RegisterEditor::decodeE6(const QString &text)
{
    const auto d3 = regcodec::digit(text, 3);
    if (!d3 || !regcodec::digit(text, 1) || !regcodec::digit(text, 2))
        return;
    showChoice("cmbOut2Vol1Res", text);
    if (m_out2)
        m_out2->cmbOut2Vol1ResChange();
}

void RegisterEditor::decodeE7(const QString &text)
{
    for (int k = 1; k <= 6; ++k) {
        if (!regcodec::digit(text, k))
            return;
        showChoice(qPrintable(regdigits::e7List(k)), text);
    }
    if (m_out3)
        m_out3->cmbOut3FuncOut3Change();
    if (m_out3)
        m_out3->cmbOut3DataForOut3Change();
    if (m_out2) {
        m_out2->cmbOut2FuncOutChange();
        m_out2->cmbOut2DataForBatchLimitChange();
        m_out2->cmbOut2DataForVolCountChange();
    }
    if (m_inp)
        m_inp->cmbInpModeChange();
}

void RegisterEditor::decodeE8(const QString &text)
{
    const auto d1 = regcodec::digit(text, 1);
    if (!d1)
        return;
    showChoice("cmbInpFlowUnitConst", text);
    showChoice("cmbInpTimeConst", text);
    const auto d2 = regcodec::digit(text, 2);
    if (!d2)
        return;
    showChoice("cmbInpFlowDirection", text);
    showChoice("cmbInpFlowCalc", text);
    const auto d3 = regcodec::digit(text, 3);
    if (!d3)
        return;
    showChoice("cmbInpTempUnit", text);
    const auto d4 = regcodec::digit(text, 4);
    if (!d4)
        return;
    showChoice("cmbInpFunc", text);
    const auto d5 = regcodec::digit(text, 5);
    const auto d6 = regcodec::digit(text, 6);
    if (!d5 || !d6)
        return;
    if (auto *node = m_session.controls.get<QLineEdit>(QStringLiteral("edGenNodeNo")))
        TKREdit::showText(node, QString::number(*d5 * 16 + *d6));
    if (m_inp) {
        m_inp->ShowUnitLabels();
        m_inp->cmbInpTimeConstChange();
        m_inp->cmbInpFuncChange();
        m_inp->cmbInpFlowCalcChange();
        m_inp->cmbInpFlowDirectionChange();
    }
}

// --- encoding ---------------------------------------------------------------

void RegisterEditor::setDigit(int reg, int k, int value)
{
    const QString current = registerText(reg);
    const QString next = regcodec::withDigit(current, k, value);
    if (next != current)
        setRegisterText(reg, next);
}

void RegisterEditor::EncodeRegister(int reg, int part, const QString &text)
{
    auto selected = [](TKRComboBox *l) { return l && l->SelectedIndex() >= 0; };
    switch (reg) {
    case 1:
    case 2: {
        auto *field = m_session.controls.get<QLineEdit>(reg == 1 ? QStringLiteral("edInpMeterSize")
                                                                 : QStringLiteral("edOut3PiTi"));
        if (field && field->text() != registerText(reg))
            setRegisterText(reg, field->text());
        break;
    }
    case 3: {
        TKRComboBox *calc = list("cmbOut3PIRegCalcInp");
        TKRComboBox *direction = list("cmbOut3PIRegContrDir");
        if (selected(calc) && selected(direction)) {
            makePickList(calc);
            makePickList(direction);
            setDigit(3, 5, calc->SelectedIndex() + 2 * direction->SelectedIndex());
        }
        // The regulator mode is a digit of its own: chosen while the two lists show an
        // illegal digit 5, it still reaches the register.
        auto *mode = m_session.controls.get<TRadioGroup>(QStringLiteral("grpOut3PIRegMode"));
        if (mode && mode->ItemIndex() >= 0)
            setDigit(3, 6, mode->ItemIndex());
        break;
    }
    case 5:
        if (text != registerText(5))
            setRegisterText(5, text);
        break;
    case 6: {
        TKRComboBox *resolution = list("cmbOut2Vol1Res");
        if (selected(resolution)) {
            makePickList(resolution);
            setDigit(6, 3, resolution->SelectedIndex());
        }
        break;
    }
    case 7: {
        if (part < 1 || part > 6)
            break;
        TKRComboBox *l = m_session.controls.get<TKRComboBox>(regdigits::e7List(part));
        if (selected(l)) {
            makePickList(l);
            bool ok = false;
            const int code = l->ValueCode().toInt(&ok, 16);
            if (l->HasValueCode() && ok)
                setDigit(7, part, code);
        }
        break;
    }
    case 8: {
        if (part == 1) {
            TKRComboBox *unit = list("cmbInpFlowUnitConst");
            TKRComboBox *time = list("cmbInpTimeConst");
            if (selected(unit) && selected(time)) {
                makePickList(unit);
                makePickList(time);
                setDigit(8, 1, 2 * time->SelectedIndex() + unit->SelectedIndex());
            }
        } else if (part == 2) {
            TKRComboBox *direction = list("cmbInpFlowDirection");
            TKRComboBox *calc = list("cmbInpFlowCalc");
            if (selected(direction) && selected(calc)) {
                makePickList(direction);
                makePickList(calc);
                setDigit(8, 2, 4 * direction->SelectedIndex() + 2 * calc->SelectedIndex());
            }
        } else if (part == 3 || part == 4) {
            TKRComboBox *l = list(part == 3 ? "cmbInpTempUnit" : "cmbInpFunc");
            if (selected(l)) {
                makePickList(l);
                bool ok = false;
                const int code = l->ValueCode().toInt(&ok, 16);
                if (l->HasValueCode() && ok)
                    setDigit(8, part, code);
            }
        }
        break;
    }
    default:
        break;
    }
}

void RegisterEditor::beginChange(int reg)
{
    if (online() && m_decoding == 0)
        m_session.state(reg) = ExchangeState::Editing;
}

void RegisterEditor::endChange(int reg)
{
    if (online() && m_decoding == 0)
        m_session.state(reg) = ExchangeState::WritePending;
}

// --- standard handlers ------------------------------------------------------

void RegisterEditor::StandardEnter(QObject *sender)
{
    if (!online() || !sender)
        return;
    const QString name = sender->objectName();
    int reg = 0;
    if (name == QLatin1String("edInpMeterSize") || name == QLatin1String("edConE1"))
        reg = 1;
    else if (name == QLatin1String("edOut3PiTi") || name == QLatin1String("edConE2"))
        reg = 2;
    else if (name == QLatin1String("edOut3PiPBand") || name == QLatin1String("edOut3ScaleOut3") || name == QLatin1String("edConE5"))
        reg = 5;
    else if (name == QLatin1String("edConE3") || name == QLatin1String("edConE6") || name == QLatin1String("edConE7")
             || name == QLatin1String("edConE8")) {
        reg = name.right(1).toInt();
        m_session.textAtEnter = registerText(reg);
    } else if (name == QLatin1String("edDataManSetOut3")) {
        m_session.state(19) = ExchangeState::Editing;
        return;
    }
    if (reg)
        m_session.state(reg) = ExchangeState::Editing;
}

void RegisterEditor::StandardUpdate(QObject *sender)
{
    auto *edit = qobject_cast<TKREdit *>(sender);
    if (!edit || m_restoring)
        return;
    const QString name = edit->objectName();
    const bool codeRegister = name == QLatin1String("edConE3") || name == QLatin1String("edConE6")
                              || name == QLatin1String("edConE7") || name == QLatin1String("edConE8");
    const int reg = name.startsWith(QLatin1String("edConE")) ? name.right(1).toInt() : 0;

    // 1. A code register needs all six digits.
    if (codeRegister && edit->text().size() < 6) {
        if (m_session.dialogs)
            m_session.dialogs->warning(m_window, m_session.translate(QStringLiteral("Missing digit in register")));
        edit->setFocus(Qt::OtherFocusReason);
        return;
    }
    // 2. Digits typed by hand are checked.
    if (m_session.digitKeyPressed && codeRegister && m_decoding == 0) {
        CheckRegisterDigits(reg);
        m_session.digitKeyPressed = false;
    }
    // 3. A changed register set is recorded in the history. A setting field that has
    // just been given a register text by decoding is no entry of its own (offline, a
    // real register is decoded at every typed character).
    if (reg != 0 || m_spreading == 0)
        recordIfChanged();
    // 4. The manual value of output 3 on the Data tab.
    showManualOutput3();
    // 5. While the device answers, the edited register is to be written.
    if (!online() || m_decoding > 0)
        return;
    // A real register takes only a number the device can hold: anything else is
    // refused at once (it could never be written) and the register is read again.
    const int realRegister = name == QLatin1String("edOut3PiPBand") || name == QLatin1String("edOut3ScaleOut3") ? 5
                             : name == QLatin1String("edOut3PiTi")                                               ? 2
                             : name == QLatin1String("edInpMeterSize")                                           ? 1
                             : (reg == 1 || reg == 2 || reg == 5)                                                ? reg
                                                                                                                 : 0;
    if (realRegister && !entrycheck::isDeviceNumber(edit->text())) {
        m_session.state(realRegister) = ExchangeState::Reading;
        // Told once: not again when the refused text is only passed through.
        const TKREdit::UpdateReason reason = edit->lastUpdateReason();
        if (reason == TKREdit::UpdateReason::EnterKey
            || (reason == TKREdit::UpdateReason::Left && edit->lastUpdateChangedText()))
            entrycheck::refuse(m_session, m_window, name);
        return;
    }
    if (name == QLatin1String("edOut3PiPBand") || name == QLatin1String("edOut3ScaleOut3")) {
        EncodeRegister(5, 0, edit->text());
        m_session.state(5) = ExchangeState::WritePending;
    } else if (name == QLatin1String("edOut3PiTi")) {
        EncodeRegister(2);
        m_session.state(2) = ExchangeState::WritePending;
    } else if (name == QLatin1String("edInpMeterSize")) {
        EncodeRegister(1);
        m_session.state(1) = ExchangeState::WritePending;
    } else if (reg >= 1 && reg <= 8 && reg != 4) {
        m_session.state(reg) = ExchangeState::WritePending;
    }
}

void RegisterEditor::recordIfChanged()
{
    const RegisterSnapshot current = currentSnapshot();
    const RegisterSnapshot &last = m_session.history.lastRecorded;
    bool differs = false;
    for (int i = 0; i < RegisterSnapshot::Count; ++i) {
        const QString &now = current.texts[static_cast<size_t>(i)];
        const QString &before = last.texts[static_cast<size_t>(i)];
        if (regcodec::isRealRegister(RegisterSnapshot::registerOf(i))) {
            double a = 0, b = 0;
            if (!numfmt::parseReal(now, a))
                return; // a text that does not convert records nothing
            if (!numfmt::parseReal(before, b) || a != b)
                differs = true;
        } else if (now != before) {
            differs = true;
        }
        if (differs)
            break;
    }
    if (!differs)
        return;
    RecordSnapshot();
    m_session.history.lastRecorded = current;
}

void RegisterEditor::RecordSnapshot()
{
    m_session.history.record(currentSnapshot(), m_session.initialLoadPending);
}

void RegisterEditor::restoreSnapshot(const RegisterSnapshot &snapshot)
{
    m_restoring = true;
    for (int i = 0; i < RegisterSnapshot::Count; ++i)
        setRegisterText(RegisterSnapshot::registerOf(i), snapshot.texts[static_cast<size_t>(i)]);
    m_restoring = false;
}

RegisterEditor::LoadResult RegisterEditor::loadRegisterText(int reg, const QString &text)
{
    TKREdit *edit = registerEdit(reg);
    if (!edit || reg == 4 || reg < 1 || reg > 8)
        return LoadResult::NotTaken;
    // The edit would cut the text to its maximum length, and the cut text would be
    // taken for another value.
    if (text.size() > edit->maxLength())
        return LoadResult::NotTaken;
    const bool incomplete = regcodec::isCodeRegister(reg) && text.size() < 6;
    m_session.state(reg) = ExchangeState::Editing;
    const bool restoring = m_restoring;
    m_restoring = true;
    edit->setText(text);
    m_restoring = restoring;
    // Written as it stands, an incomplete code register would be read back shifted
    // by the missing digits.
    m_session.state(reg) = incomplete ? ExchangeState::Reading : ExchangeState::WritePending;
    return incomplete ? LoadResult::Incomplete : LoadResult::Loaded;
}

void RegisterEditor::endLoad()
{
    recordIfChanged();
    showManualOutput3();
}

void RegisterEditor::showManualOutput3()
{
    auto *label = m_session.controls.get<QLabel>(QStringLiteral("laDataManSetOut3"));
    auto *field = m_session.controls.get<QWidget>(QStringLiteral("edDataManSetOut3"));
    auto *panel = m_session.controls.get<QWidget>(QStringLiteral("pnDataOut3Ana"));
    auto *unit = m_session.controls.get<QWidget>(QStringLiteral("laDataOut3AValU"));
    TKRComboBox *data = list("cmbOut3DataForOut3");
    if (!label || !field || !panel || !unit || !data)
        return;
    if (data->currentIndex() == 4) {
        auto *scale = m_session.controls.get<QLineEdit>(QStringLiteral("edOut3ScaleOut3"));
        label->setText(QStringLiteral("0..") + (scale ? scale->text() : QString()) + QLatin1Char(':'));
        label->adjustSize();
        field->move(label->geometry().right() + 1 + 3, field->y());
        if (auto *edit = qobject_cast<QLineEdit *>(field))
            edit->setReadOnly(false);
        // The manual value sits on the panel's second row, below the current.
        panel->resize(qMax(field->geometry().right(), unit->geometry().right()) + 1 + 2, field->geometry().bottom() + 1);
    } else {
        // Cut after the "mA" label of the first row: the manual value is out of sight.
        panel->resize(unit->geometry().right() + 1 + 2, field->y() > unit->geometry().bottom() ? field->y() - 2 : panel->height());
    }
}

void RegisterEditor::CheckRegisterDigits(int reg)
{
    TKREdit *edit = registerEdit(reg);
    if (!regdigits::isCheckedRegister(reg) || !edit)
        return;
    QString text = edit->text().toUpper();
    // Digits are restored from the text the register had when its editing started;
    // when that was never captured, from the text last recorded in the history.
    QString old = m_session.textAtEnter;
    if (old.size() < 6)
        old = m_session.history.lastRecorded.texts[static_cast<size_t>(RegisterSnapshot::indexOf(reg))];
    for (int k = 1; k <= 6 && k <= text.size(); ++k) {
        // Digits that no setting uses are not checked: whatever stands there is left
        // as typed (a text that is no hexadecimal number then simply cannot be written).
        if (!regdigits::typedDigitChecked(reg, k))
            continue;
        const auto d = regcodec::digit(text, k);
        if (d && regdigits::typedDigitLegal(reg, k, *d))
            continue;
        if (m_session.dialogs)
            m_session.dialogs->warning(
                m_window, m_session.translate(QStringLiteral("Digit %1 illegal entry, digit is automatically set to old value").arg(k)));
        const auto restored = regcodec::digit(old, k);
        text[k - 1] = restored ? old.at(k - 1).toUpper() : QLatin1Char('0');
    }
    if (edit->text() != text)
        edit->setText(text);
}

void RegisterEditor::CmbStdDropDown(QObject *sender)
{
    if (!online() || !sender)
        return;
    if (const int reg = regdigits::registerOfList(sender->objectName()))
        m_session.state(reg) = ExchangeState::Editing;
}

void RegisterEditor::CmbStandardExit(QObject *sender)
{
    if (!online() || !sender)
        return;
    if (const int reg = regdigits::registerOfList(sender->objectName()))
        if (m_session.state(reg) != ExchangeState::WritePending)
            m_session.state(reg) = ExchangeState::Reading;
}

void RegisterEditor::applySetpointRule()
{
    auto *setpoint = m_session.controls.get<QLineEdit>(QStringLiteral("edDataSetP"));
    TKRComboBox *out2 = list("cmbOut2FuncOut");
    TKRComboBox *out3 = list("cmbOut3FuncOut3");
    if (!setpoint || !out2 || !out3)
        return;
    const int f2 = out2->SelectedIndex();
    const bool writable = f2 == 2 || f2 == 3 || out3->SelectedIndex() == 1;
    setpoint->setReadOnly(!writable);
    QPalette palette = setpoint->palette();
    palette.setColor(QPalette::Base, writable ? QColor(Qt::white) : setpoint->palette().color(QPalette::Window));
    setpoint->setPalette(palette);
}

void RegisterEditor::warnIllegalChoice(const QStringList &parts)
{
    QStringList lines;
    for (const QString &part : parts)
        lines.append(m_session.translate(part));
    if (m_session.dialogs)
        m_session.dialogs->warning(m_window, lines.join(QLatin1Char('\n')));
}
