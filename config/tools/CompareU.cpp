#include "CompareU.h"

#include "ConfigKR715U.h"
#include "DialogService.h"
#include "KRComboBox.h"
#include "KREdit.h"
#include "PollCycle.h"
#include "RegisterCodec.h"
#include "RegisterEditorU.h"
#include "ToolkitControls.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>

namespace {
// Larger than any configuration file: such a file is not read whole.
constexpr qint64 MaxFileBytes = 1024 * 1024;
} // namespace

TfrmCompare::TfrmCompare(TfrmKR715Config &main, QWidget *parent)
    : QWidget(parent, Qt::Window), m_main(main), m_tr(krtools::translatorOf(main))
{
    ui.setupUi(this);
    setAttribute(Qt::WA_QuitOnClose, false);
    krtools::translateForm(this, m_tr);
    ui.tvCompare->setColumnCount(3);
    ui.tvCompare->setHorizontalHeaderLabels(
        {m_tr(QStringLiteral("Setting")), m_tr(QStringLiteral("Device")), m_tr(QStringLiteral("File"))});
    ui.tvCompare->horizontalHeader()->setStretchLastSection(true);
    ui.tvCompare->verticalHeader()->hide();
    ui.tvCompare->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui.tvCompare->setSelectionMode(QAbstractItemView::SingleSelection);
    ui.tvCompare->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui.tvCompare->setColumnWidth(0, 220);
    ui.tvCompare->setColumnWidth(1, 190);
    ui.btnCompareTake->setEnabled(false);
    ui.btnCompareTakeAll->setEnabled(false);

    m_refreshSoon = new QTimer(this);
    m_refreshSoon->setSingleShot(true);
    m_refreshSoon->setInterval(300);
    connect(m_refreshSoon, &QTimer::timeout, this, &TfrmCompare::refresh);

    connect(ui.btnCompareOpen, &QAbstractButton::clicked, this, &TfrmCompare::btnCompareOpenClick);
    connect(ui.btnCompareRefresh, &QAbstractButton::clicked, this, &TfrmCompare::btnCompareRefreshClick);
    connect(ui.btnCompareTake, &QAbstractButton::clicked, this, &TfrmCompare::btnCompareTakeClick);
    connect(ui.btnCompareTakeAll, &QAbstractButton::clicked, this, &TfrmCompare::btnCompareTakeAllClick);
    connect(ui.cbCompareOnlyDiff, &QAbstractButton::clicked, this, &TfrmCompare::cbCompareOnlyDiffClick);
    connect(ui.tvCompare, &QTableWidget::itemSelectionChanged, this, &TfrmCompare::tvCompareSelectionChange);
    // The device side follows the register reads of the polling cycle.
    if (main.pollCycle)
        connect(main.pollCycle, &PollCycle::valueRead, this, [this](int slot, const QVariant &) {
            if (slot <= 8 && m_hasFile && isVisible() && !m_refreshSoon->isActive()
                && deviceRegisters() != m_shownDevice)
                m_refreshSoon->start();
        });
}

compare::ListTexts TfrmCompare::listTextsOf(TfrmKR715Config &main, const krtools::Translate &translate)
{
    compare::ListTexts texts;
    texts.illegal = translate(QStringLiteral("Illegal Choice"));
    const FormControls &controls = main.session().controls;
    for (const compare::Setting &s : compare::settings()) {
        const QString name = QLatin1String(s.control);
        if (s.kind == compare::SettingKind::List) {
            if (auto *list = controls.get<TKRComboBox>(name)) {
                QStringList entries;
                for (int i = 0; i < list->count(); ++i)
                    entries.append(list->itemText(i));
                texts.entries.insert(name, entries);
                texts.codes.insert(name, list->ValueItems());
            }
        } else if (s.kind == compare::SettingKind::Radio) {
            if (auto *group = controls.get<TRadioGroup>(name))
                texts.entries.insert(name, group->Items());
        }
    }
    return texts;
}

compare::Registers TfrmCompare::deviceRegisters() const
{
    compare::Registers registers;
    for (int reg = 1; reg <= 8; ++reg)
        if (auto *edit = m_main.session().controls.get<QLineEdit>(QStringLiteral("edConE%1").arg(reg)))
            registers[size_t(reg)] = edit->text();
    return registers;
}

bool TfrmCompare::loadFile(const QString &path)
{
    DialogService *dialogs = m_main.session().dialogs;
    QFile file(path);
    QByteArray bytes;
    QString reason;
    if (!file.open(QIODevice::ReadOnly))
        reason = file.errorString();
    else if (file.size() > MaxFileBytes)
        reason = m_tr(QStringLiteral("The file is too large for a configuration file"));
    else
        bytes = file.readAll();
    if (!reason.isEmpty()) {
        if (dialogs)
            dialogs->warning(this, m_tr(QStringLiteral("Failed to load setup from file")) + QLatin1Char('\n') + reason);
        return false;
    }
    m_file = compare::readFile(bytes);
    m_hasFile = true;
    m_path = path;
    ui.laCompareFile->setText(QFileInfo(path).fileName());
    refresh();
    return true;
}

void TfrmCompare::refresh()
{
    if (!m_hasFile)
        return;
    m_shownDevice = deviceRegisters();
    m_rows = compare::compareSettings(m_shownDevice, m_file, listTexts(), m_tr);
    QStringList notes;
    static const QRegularExpression registerProblem(QStringLiteral("^Reg E(\\d) is (missing|not valid)$"));
    for (const QString &problem : m_file.problems) {
        const QRegularExpressionMatch m = registerProblem.match(problem);
        notes.append(m.hasMatch() ? m_tr(QStringLiteral("Reg E%1 is ") + m.captured(2)).arg(m.captured(1)) : m_tr(problem));
    }
    if (m_file.otherSeparator)
        notes.append(m_tr(QStringLiteral("Numbers of the file are written with another decimal separator")));
    if (!m_main.session().device.contact)
        notes.append(m_tr(QStringLiteral("No contact with the device: the window's settings are compared")));
    ui.laCompareNotes->setText(notes.join(QLatin1Char('\n')));
    ui.btnCompareTakeAll->setEnabled(m_file.complete());
    fillTable();
}

void TfrmCompare::fillTable()
{
    const QString selected = selectedRow() >= 0 ? QLatin1String(m_rows.at(selectedRow()).setting.control) : QString();
    ui.tvCompare->blockSignals(true);
    ui.tvCompare->clearContents();
    m_tableRows.clear();
    for (int i = 0; i < m_rows.size(); ++i)
        if (!ui.cbCompareOnlyDiff->isChecked() || m_rows.at(i).differs)
            m_tableRows.append(i);
    ui.tvCompare->setRowCount(int(m_tableRows.size()));
    int reselect = -1;
    for (int t = 0; t < m_tableRows.size(); ++t) {
        const compare::Row &row = m_rows.at(m_tableRows.at(t));
        const QString texts[3] = {m_tr(QLatin1String(row.setting.caption)), row.deviceText, row.fileText};
        for (int c = 0; c < 3; ++c) {
            auto *item = new QTableWidgetItem(texts[c]);
            if (row.differs) {
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
                item->setBackground(QColor(255, 240, 200));
            }
            item->setToolTip(row.line);
            ui.tvCompare->setItem(t, c, item);
        }
        if (QLatin1String(row.setting.control) == selected)
            reselect = t;
    }
    if (reselect >= 0)
        ui.tvCompare->selectRow(reselect);
    ui.tvCompare->blockSignals(false);
    tvCompareSelectionChange();
}

int TfrmCompare::selectedRow() const
{
    const int t = ui.tvCompare->currentRow();
    if (t < 0 || t >= m_tableRows.size() || !ui.tvCompare->selectionModel()->isRowSelected(t, QModelIndex()))
        return -1;
    return m_tableRows.at(t);
}

void TfrmCompare::tvCompareSelectionChange()
{
    const int row = selectedRow();
    ui.btnCompareTake->setEnabled(row >= 0 && m_rows.at(row).takeable);
}

bool TfrmCompare::takeSetting(const QString &control)
{
    const compare::Row *row = nullptr;
    for (const compare::Row &r : m_rows)
        if (QLatin1String(r.setting.control) == control)
            row = &r;
    if (!row || !row->takeable)
        return false;
    KR715Session &session = m_main.session();
    const compare::Setting s = row->setting;
    const compare::Value file = row->file;
    switch (s.kind) {
    case compare::SettingKind::List: {
        // As the operator picks the entry: the list's change handler encodes the digit
        // into its register, marks it for writing and the history records it.
        auto *list = session.controls.get<TKRComboBox>(control);
        if (!list || file.index < 0 || file.index >= list->count())
            return false;
        if (m_main.registerEditor)
            m_main.registerEditor->CmbStdDropDown(list);
        list->setCurrentIndex(file.index);
        emit list->activated(file.index);
        if (m_main.registerEditor)
            m_main.registerEditor->CmbStandardExit(list);
        break;
    }
    case compare::SettingKind::Radio: {
        auto *group = session.controls.get<TRadioGroup>(control);
        QRadioButton *button = group ? group->button(file.index) : nullptr;
        if (!button)
            return false;
        button->click();
        break;
    }
    case compare::SettingKind::Real: {
        // As the operator types the register and confirms it.
        auto *edit = session.controls.get<TKREdit>(control);
        if (!edit || edit->text() == file.text)
            return false;
        if (m_main.registerEditor)
            m_main.registerEditor->StandardEnter(edit);
        edit->setText(file.text);
        break;
    }
    }
    refresh();
    return true;
}

bool TfrmCompare::takeAll()
{
    RegisterEditor *editor = m_main.registerEditor;
    if (!m_hasFile || !m_file.complete() || !editor)
        return false;
    // The node address (the last two digits of E8) belongs to the device.
    QString node = editor->registerText(8).mid(4, 2);
    if (node.size() != 2 || !regcodec::digit(node + QStringLiteral("0000"), 1) || !regcodec::digit(node + QStringLiteral("0000"), 2))
        node = QStringLiteral("00");
    for (const int reg : {1, 2, 3, 5, 6, 7, 8}) {
        QString text = m_file.registers[size_t(reg)];
        if (reg == 8)
            text = text.left(4) + node;
        editor->loadRegisterText(reg, text);
    }
    editor->endLoad();
    refresh();
    return true;
}

void TfrmCompare::btnCompareOpenClick()
{
    DialogService *dialogs = m_main.session().dialogs;
    if (!dialogs)
        return;
    const QString path = dialogs->getOpenFileName(this, m_tr(QStringLiteral("Open file...")), m_main.dataDirectory(),
                                                  QStringLiteral("Flow transmitter config (*.txt)|*.txt|(*.*)|*.*"),
                                                  QStringLiteral("*.txt"));
    if (!path.isEmpty())
        loadFile(path);
}

void TfrmCompare::btnCompareRefreshClick()
{
    refresh();
}

void TfrmCompare::btnCompareTakeClick()
{
    const int row = selectedRow();
    if (row >= 0)
        takeSetting(QLatin1String(m_rows.at(row).setting.control));
}

void TfrmCompare::btnCompareTakeAllClick()
{
    DialogService *dialogs = m_main.session().dialogs;
    if (dialogs && !dialogs->question(this, m_tr(QStringLiteral("Take every setting of the file?")), QMessageBox::Question))
        return;
    takeAll();
}

void TfrmCompare::cbCompareOnlyDiffClick()
{
    fillTable();
}

void TfrmCompare::closeEvent(QCloseEvent *event)
{
    krtools::savePlace(this, m_main.settingsSection(), QStringLiteral("Compare"));
    QWidget::closeEvent(event);
}
