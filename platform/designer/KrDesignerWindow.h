#pragma once
// KrDesigner's main window: the drawing page with the palette of component
// libraries beside it and the property page and element tree of the selected
// symbol in a side panel. In design mode a glass over the page takes the mouse
// (select, move, size, place); in run mode the page runs: the symbols get the
// mouse and their variable links poll the "KELO.PRO" server.
//
// Every change of the page is a step of the undo history (the page as it stood
// after the change); the page is modified while it differs from the file.

#include "KrDrawingPage.h"
#include "KrHostLoader.h"
#include "KrPalette.h"
#include "KrRecentFiles.h"
#include "KrUndoHistory.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

namespace Ui {
class KrDesignerWindow;
}
class KrDialogService;
class KrDesignOverlay;
class QListWidgetItem;
class QTreeWidgetItem;

// The designer the components see (IKrDesigner): its notices reach the window.
class KrDesignerHook : public TKrHostDesigner {
public:
    std::function<void()> onChange;      // modified notice, undo step
    std::function<void()> onTreeChange;  // element tree refresh
    void Modified(bool modified) override;
    void RefreshElementTree() override;
    void AddUndo(QObject *symbol) override;
};

class KrDesignerWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char *kSymbolsMimeType = "application/x-krdesigner-symbols";
    static constexpr int kGrid = 8;

    // dialogs: the dialog service (the window's own when nullptr).
    explicit KrDesignerWindow(KrDialogService *dialogs = nullptr, QWidget *parent = nullptr);
    ~KrDesignerWindow() override;

    // The plug-in folders: "components" beside the program, then the folder
    // named in the settings ("Components/Folder").
    static QStringList ComponentFolders();
    static QString SettingsComponentFolder();
    static void SetSettingsComponentFolder(const QString &folder);
    // Loads the libraries of the plug-in folders into the palette.
    void ScanComponents();
    const KrPalette &Palette() const { return m_palette; }
    TKrHostLoader *Loader() { return &m_loader; }
    TKrDrawingPage *Page() const { return m_page; }
    KrDesignOverlay *Overlay() const { return m_overlay; }
    Ui::KrDesignerWindow *Form() const { return ui; }

    // ---- page files ----
    void NewPage();
    // Loads a page file (no question asked); problems are told in one message.
    bool LoadPageFile(const QString &fileName);
    // Writes the page file atomically; a failure is told.
    bool SavePageFile(const QString &fileName);
    // Before a change would lose the page's modifications: asks whether to save
    // them. True when the caller may go on.
    bool MaybeSave();
    QString FileName() const { return m_fileName; }
    bool IsModified() const { return m_history.IsModified(); }
    QStringList RecentFiles() const { return m_recent.Files(); }

    // ---- design ----
    QString ArmedComponent() const { return m_armed; }
    void ArmComponent(const QString &guid);
    // Creates a symbol of the library through SymbolCreate at the point of the
    // page (on the container under it, if any), selects it and records the step.
    TKrSymbol *PlaceSymbol(const QString &guid, const QPoint &pagePos);
    QList<QWidget *> Selection() const;
    void SetSelection(const QList<QWidget *> &items);
    // The one selected symbol, or nullptr.
    TKrSymbol *SelectedSymbol() const;
    // Records an undo step when the page changed since the last one.
    void Commit();
    int GridSize() const;
    // The design-mode context menu of an item (nullptr: the page) at a point of the page.
    void ContextPopup(QWidget *item, const QPoint &pagePos);
    // Deletes the selected symbols that agree (CanDelete) and the selected
    // placeholders; those that refuse are told. Returns how many went.
    int DeleteSelection();
    void CopySelection();
    QList<TKrSymbol *> Paste();
    // "old -> new" for every symbol the last paste renamed.
    QStringList LastRenames() const { return m_lastRenames; }
    void Rotate(TRotateFunction function);
    void SetZOrder(bool toFront);
    void SetZoom(double zoom);
    double Zoom() const { return m_zoom; }
    const KrUndoHistory &History() const { return m_history; }
    void Undo();
    void Redo();
    // The element shown in the element panel.
    TKrChild *SelectedElement() const { return m_element; }

    // ---- run mode ----
    void SetRunMode(bool run);
    bool IsRunMode() const { return m_run; }

    // ---- handlers ----
    void actNewExecute();
    void actOpenExecute();
    void actSaveExecute();
    void actSaveAsExecute();
    void actComponentFolderExecute();
    void actExitExecute();
    void actUndoExecute();
    void actRedoExecute();
    void actCutExecute();
    void actCopyExecute();
    void actPasteExecute();
    void actDeleteExecute();
    void actSelectAllExecute();
    void actBringToFrontExecute();
    void actSendToBackExecute();
    void actRotateRightExecute();
    void actRotateLeftExecute();
    void actMirrorHorizontalExecute();
    void actMirrorVerticalExecute();
    void actZoomInExecute();
    void actZoomOutExecute();
    void actZoomNormalExecute();
    void actGridExecute();
    void actRunModeExecute();
    void lstPaletteItemClicked(QListWidgetItem *item);
    void trvElementsCurrentItemChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous);

protected:
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void FillPalette();
    void UpdateTitle();
    void UpdateActions();
    void UpdateRecentMenu();
    void AddRecent(const QString &fileName);
    void ResizePage();
    void ApplyPageBackground();
    // Shows the page state (undo, redo, a run-mode return) in place of the present one.
    void RestoreState(const QByteArray &state);
    void ShowDetailsOf(TKrSymbol *symbol);
    void HideDetails();
    void RebuildElementTree();
    void ShowElementDetails(TKrChild *element);
    void HideElementDetails();
    void AdoptChildren(QWidget *panel);
    void ScheduleCommit();
    // Records the edit of the selected symbol's design data after input in
    // the side panel (DetailsEdited: a property page reported an edit).
    void CheckDetailsEdit();
    void DetailsEdited();
    void ReportProblems(const QString &what, const QList<TKrLoadProblem> &problems);
    QByteArray DesignOf(TKrSymbol *s) const;

    Ui::KrDesignerWindow *ui;
    std::unique_ptr<KrDialogService> m_ownDialogs;
    KrDialogService *m_dialogs;
    TKrHostLoader m_loader;
    KrPalette m_palette;
    KrDesignerHook m_designer;
    TKrDrawingPage *m_page = nullptr;
    KrDesignOverlay *m_overlay = nullptr;
    KrUndoHistory m_history;
    KrRecentFiles m_recent;
    QString m_fileName;
    QString m_armed;
    QList<QPointer<QWidget>> m_selection;
    QPointer<TKrSymbol> m_detailsSymbol;
    QByteArray m_detailsDesign;
    QPointer<QWidget> m_genericPage;
    QPointer<TKrChild> m_element;
    QPointer<QWidget> m_genericElementPage;
    QList<QPair<QTreeWidgetItem *, QPointer<TKrChild>>> m_treeItems;
    QStringList m_lastRenames;
    QByteArray m_clipboard;
    QByteArray m_designState; // the page as it was designed, kept while it runs
    double m_zoom = 1.0;
    bool m_run = false;
    bool m_commitPending = false;
    bool m_treePending = false;
    bool m_restoring = false;
    bool m_panelInput = false; // the user worked in the side panel since the last check
};
