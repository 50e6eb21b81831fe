#pragma once
// Compare: the registers of the selected device against a configuration file of the
// program, setting by setting in words. "Take from file" puts the file's setting into
// the window as the operator would choose it (the list entry, the radio button, the
// typed register), so undo, the write states and the digit rules apply as for any
// entry; "Take all" loads every register of the file as the Config tab's load does.
#include "CompareEngine.h"
#include "ToolSupport.h"
#include "ui_CompareU.h"

#include <QWidget>

class QTimer;
class TfrmKR715Config;

class TfrmCompare : public QWidget {
    Q_OBJECT
public:
    explicit TfrmCompare(TfrmKR715Config &main, QWidget *parent = nullptr);

    Ui::TfrmCompare ui;

    // Handlers
    void btnCompareOpenClick();
    void btnCompareRefreshClick();
    void btnCompareTakeClick();
    void btnCompareTakeAllClick();
    void cbCompareOnlyDiffClick();
    void tvCompareSelectionChange();

    // Reads a configuration file; false (and a message to the operator) when it cannot
    // be read at all.
    bool loadFile(const QString &path);
    // The compare of the device's registers now with the file read last.
    void refresh();
    const QList<compare::Row> &rows() const { return m_rows; }
    const compare::FileContents &file() const { return m_file; }
    bool hasFile() const { return m_hasFile; }
    // Takes the file's value of the setting shown by control (its row); false when
    // there is nothing to take.
    bool takeSetting(const QString &control);
    // Takes every register of a complete file, as one load.
    bool takeAll();

    // The window's lists (translated) and their value codes; the device's registers.
    compare::ListTexts listTexts() const { return listTextsOf(m_main, m_tr); }
    static compare::ListTexts listTextsOf(TfrmKR715Config &main, const krtools::Translate &translate);
    compare::Registers deviceRegisters() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void fillTable();
    int selectedRow() const;

    TfrmKR715Config &m_main;
    krtools::Translate m_tr;
    compare::FileContents m_file;
    bool m_hasFile = false;
    QString m_path;
    QList<compare::Row> m_rows;
    QList<int> m_tableRows; // row of m_rows shown in each table row
    QTimer *m_refreshSoon = nullptr;
    compare::Registers m_shownDevice; // the device's registers the rows were made of
};
