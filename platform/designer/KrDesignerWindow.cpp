#include "KrDesignerWindow.h"
#include "ui_KrDesignerWindow.h"

#include "Divunit.h"
#include "KrDesignOverlay.h"
#include "KrDialogService.h"
#include "KrRunTimeFile.h"
#include "Krpropertypage.h"
#include "Krvisible.h"
#include "Namechanged.h"
#include "OpenFloorInterface.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDrag>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QMetaProperty>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QSaveFile>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

// The designer's settings: KrDesigner.ini in the product's settings folder
// ($XDG_CONFIG_HOME/KR/).
static std::unique_ptr<QSettings> Settings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("KR"), QStringLiteral("KrDesigner"));
}

static const char *kPageFilter = QT_TRANSLATE_NOOP("KrDesignerWindow", "Pages (*.krpage);;All files (*)");

// ---------------------------------------------------------------- hook

void KrDesignerHook::Modified(bool modified)
{
    TKrHostDesigner::Modified(modified);
    if (modified && onChange)
        onChange();
}

void KrDesignerHook::RefreshElementTree()
{
    TKrHostDesigner::RefreshElementTree();
    if (onTreeChange)
        onTreeChange();
}

void KrDesignerHook::AddUndo(QObject *)
{
    // The step is the page as it stands now; the window records it.
    if (onChange)
        onChange();
}

// ---------------------------------------------------------------- window

KrDesignerWindow::KrDesignerWindow(KrDialogService *dialogs, QWidget *parent)
    : QMainWindow(parent), ui(new Ui::KrDesignerWindow), m_dialogs(dialogs), m_palette(&m_loader)
{
    if (!m_dialogs) {
        m_ownDialogs = std::make_unique<KrDialogService>();
        m_dialogs = m_ownDialogs.get();
    }
    ui->setupUi(this);
    GlobZoomFactor = 1.0;

    m_page = new TKrDrawingPage(&m_loader);
    m_page->setObjectName(QStringLiteral("pgDrawing"));
    ui->scrPage->setWidget(m_page);
    m_page->SetDesigner(&m_designer);
    m_designer.onChange = [this] { ScheduleCommit(); };
    m_designer.onTreeChange = [this] {
        if (m_treePending)
            return;
        m_treePending = true;
        QTimer::singleShot(0, this, [this] {
            m_treePending = false;
            RebuildElementTree();
        });
    };
    m_overlay = new KrDesignOverlay(this, m_page);
    m_overlay->setObjectName(QStringLiteral("pnDesignGlass"));
    ResizePage();
    ApplyPageBackground();
    m_page->Open();
    m_overlay->raise();

    new QVBoxLayout(ui->pnDetails);
    new QVBoxLayout(ui->pnElementDetails);
    ui->pnDetails->installEventFilter(this);
    ui->pnElementDetails->installEventFilter(this);
    ui->lstPalette->viewport()->installEventFilter(this);

    connect(ui->actNew, &QAction::triggered, this, &KrDesignerWindow::actNewExecute);
    connect(ui->actOpen, &QAction::triggered, this, &KrDesignerWindow::actOpenExecute);
    connect(ui->actSave, &QAction::triggered, this, &KrDesignerWindow::actSaveExecute);
    connect(ui->actSaveAs, &QAction::triggered, this, &KrDesignerWindow::actSaveAsExecute);
    connect(ui->actComponentFolder, &QAction::triggered, this, &KrDesignerWindow::actComponentFolderExecute);
    connect(ui->actExit, &QAction::triggered, this, &KrDesignerWindow::actExitExecute);
    connect(ui->actUndo, &QAction::triggered, this, &KrDesignerWindow::actUndoExecute);
    connect(ui->actRedo, &QAction::triggered, this, &KrDesignerWindow::actRedoExecute);
    connect(ui->actCut, &QAction::triggered, this, &KrDesignerWindow::actCutExecute);
    connect(ui->actCopy, &QAction::triggered, this, &KrDesignerWindow::actCopyExecute);
    connect(ui->actPaste, &QAction::triggered, this, &KrDesignerWindow::actPasteExecute);
    connect(ui->actDelete, &QAction::triggered, this, &KrDesignerWindow::actDeleteExecute);
    connect(ui->actSelectAll, &QAction::triggered, this, &KrDesignerWindow::actSelectAllExecute);
    connect(ui->actBringToFront, &QAction::triggered, this, &KrDesignerWindow::actBringToFrontExecute);
    connect(ui->actSendToBack, &QAction::triggered, this, &KrDesignerWindow::actSendToBackExecute);
    connect(ui->actRotateRight, &QAction::triggered, this, &KrDesignerWindow::actRotateRightExecute);
    connect(ui->actRotateLeft, &QAction::triggered, this, &KrDesignerWindow::actRotateLeftExecute);
    connect(ui->actMirrorHorizontal, &QAction::triggered, this, &KrDesignerWindow::actMirrorHorizontalExecute);
    connect(ui->actMirrorVertical, &QAction::triggered, this, &KrDesignerWindow::actMirrorVerticalExecute);
    connect(ui->actZoomIn, &QAction::triggered, this, &KrDesignerWindow::actZoomInExecute);
    connect(ui->actZoomOut, &QAction::triggered, this, &KrDesignerWindow::actZoomOutExecute);
    connect(ui->actZoomNormal, &QAction::triggered, this, &KrDesignerWindow::actZoomNormalExecute);
    connect(ui->actGrid, &QAction::triggered, this, &KrDesignerWindow::actGridExecute);
    connect(ui->actRunMode, &QAction::triggered, this, &KrDesignerWindow::actRunModeExecute);
    connect(ui->lstPalette, &QListWidget::itemClicked, this, &KrDesignerWindow::lstPaletteItemClicked);
    connect(ui->trvElements, &QTreeWidget::currentItemChanged, this, &KrDesignerWindow::trvElementsCurrentItemChanged);

    m_recent.SetFiles(Settings()->value(QStringLiteral("RecentFiles")).toStringList());
    // Edits in a property page that records no undo step of its own become one
    // when they are seen.
    auto *watch = new QTimer(this);
    watch->setInterval(400);
    connect(watch, &QTimer::timeout, this, &KrDesignerWindow::CheckDetailsEdit);
    watch->start();
    UpdateRecentMenu();

    // Input in the side panel: the property pages may change their symbol.
    qApp->installEventFilter(this);

    ScanComponents();
    m_history.Reset(m_page->SavePage());
    UpdateTitle();
    UpdateActions();
}

KrDesignerWindow::~KrDesignerWindow()
{
    HideDetails();
    m_page->SetDesigner(nullptr);
    delete m_page; // symbols before the loader that made them
    m_page = nullptr;
    delete ui;
}

QStringList KrDesignerWindow::ComponentFolders()
{
    QStringList folders{QCoreApplication::applicationDirPath() + QStringLiteral("/components")};
    const QString own = SettingsComponentFolder();
    if (!own.isEmpty())
        folders.append(own);
    return folders;
}

QString KrDesignerWindow::SettingsComponentFolder()
{
    return Settings()->value(QStringLiteral("Components/Folder")).toString();
}

void KrDesignerWindow::SetSettingsComponentFolder(const QString &folder)
{
    Settings()->setValue(QStringLiteral("Components/Folder"), folder);
}

void KrDesignerWindow::ScanComponents()
{
    m_palette.Scan(ComponentFolders());
    FillPalette();
}

void KrDesignerWindow::FillPalette()
{
    ui->lstPalette->clear();
    for (const KrPaletteEntry &e : m_palette.Entries()) {
        auto *item = new QListWidgetItem(ui->lstPalette);
        if (e.refused) {
            item->setText(tr("%1\nrefused: %2").arg(QFileInfo(e.path).fileName(), e.reason));
            item->setToolTip(e.path + QLatin1Char('\n') + e.reason);
            item->setFlags(Qt::NoItemFlags); // greyed
            QPixmap blank(32, 32);
            blank.fill(Qt::lightGray);
            item->setIcon(QIcon(blank));
        } else {
            item->setText(tr("%1 %2").arg(e.name, e.version) + (e.description.isEmpty() ? QString() : QLatin1Char('\n') + e.description));
            item->setToolTip(e.path);
            item->setIcon(QIcon(QPixmap::fromImage(e.picture)));
            item->setData(Qt::UserRole, e.guid);
        }
    }
}

// ---------------------------------------------------------------- page files

void KrDesignerWindow::NewPage()
{
    if (m_run)
        SetRunMode(false);
    SetSelection({});
    HideDetails();
    m_page->Clear();
    m_fileName.clear();
    m_history.Reset(m_page->SavePage());
    UpdateTitle();
    UpdateActions();
}

void KrDesignerWindow::ReportProblems(const QString &what, const QList<TKrLoadProblem> &problems)
{
    if (problems.isEmpty())
        return;
    QStringList lines;
    const int shown = qMin<int>(int(problems.size()), 12);
    for (int i = 0; i < shown; ++i)
        lines.append(problems[i].ToString());
    if (problems.size() > shown)
        lines.append(tr("... and %n more.", nullptr, int(problems.size()) - shown));
    m_dialogs->Warning(this, tr("KrDesigner"), tr("%1 was not loaded completely:").arg(what) + QStringLiteral("\n\n") + lines.join(QLatin1Char('\n')));
}

bool KrDesignerWindow::LoadPageFile(const QString &fileName)
{
    if (m_run)
        SetRunMode(false);
    SetSelection({});
    HideDetails();
    const QString shown = QFileInfo(fileName).fileName();
    if (!m_page->LoadFromFile(fileName)) {
        QStringList lines;
        for (const TKrLoadProblem &p : m_page->Problems())
            lines.append(p.ToString());
        m_dialogs->Warning(this, tr("KrDesigner"), tr("%1 cannot be opened:").arg(shown) + QStringLiteral("\n\n") + lines.join(QLatin1Char('\n')));
        m_recent.Remove(fileName);
        UpdateRecentMenu();
        return false;
    }
    m_page->LayoutPlaceholders();
    m_overlay->raise();
    m_fileName = QFileInfo(fileName).absoluteFilePath();
    KrSetBasePath(QFileInfo(m_fileName).absolutePath() + QLatin1Char('/'));
    m_history.Reset(m_page->SavePage());
    AddRecent(m_fileName);
    UpdateTitle();
    UpdateActions();
    ReportProblems(shown, m_page->Problems());
    return true;
}

bool KrDesignerWindow::SavePageFile(const QString &fileName)
{
    CheckDetailsEdit();
    if (m_commitPending)
        Commit();
    const QByteArray data = m_run ? m_designState : m_page->SavePage();
    QSaveFile f(fileName);
    QString error;
    bool ok = f.open(QIODevice::WriteOnly);
    if (ok) {
        f.write(data);
        ok = f.commit();
    }
    if (!ok) {
        m_dialogs->Warning(this, tr("KrDesigner"), tr("The page cannot be saved to %1:\n%2").arg(fileName, f.errorString()));
        return false;
    }
    m_fileName = QFileInfo(fileName).absoluteFilePath();
    m_history.MarkSaved();
    AddRecent(m_fileName);
    UpdateTitle();
    statusBar()->showMessage(tr("Saved %1").arg(QFileInfo(fileName).fileName()), 4000);
    return true;
}

bool KrDesignerWindow::MaybeSave()
{
    CheckDetailsEdit();
    // Only what the user changed counts: values that live variable links
    // show on the page in design mode are no change of the page.
    if (!m_run && m_commitPending)
        Commit();
    if (!IsModified())
        return true;
    const QString name = m_fileName.isEmpty() ? tr("The new page") : QFileInfo(m_fileName).fileName();
    const int answer = m_dialogs->QuestionCancel(this, tr("KrDesigner"), tr("%1 has been modified. Save the changes?").arg(name));
    if (answer < 0)
        return false;
    if (answer == 0)
        return true;
    if (m_fileName.isEmpty()) {
        const QString file = m_dialogs->SaveFileName(this, tr("Save Page"), QString(), tr(kPageFilter));
        if (file.isEmpty())
            return false;
        return SavePageFile(file);
    }
    return SavePageFile(m_fileName);
}

void KrDesignerWindow::AddRecent(const QString &fileName)
{
    m_recent.Add(fileName);
    Settings()->setValue(QStringLiteral("RecentFiles"), m_recent.Files());
    UpdateRecentMenu();
}

void KrDesignerWindow::UpdateRecentMenu()
{
    ui->mnuRecent->clear();
    for (const QString &file : m_recent.Files()) {
        QAction *a = ui->mnuRecent->addAction(QFileInfo(file).fileName());
        a->setToolTip(file);
        connect(a, &QAction::triggered, this, [this, file] {
            if (MaybeSave())
                LoadPageFile(file);
        });
    }
    ui->mnuRecent->setEnabled(!m_recent.Files().isEmpty());
}

void KrDesignerWindow::UpdateTitle()
{
    const QString name = m_fileName.isEmpty() ? tr("Untitled") : QFileInfo(m_fileName).fileName();
    setWindowTitle(tr("KrDesigner - %1[*]").arg(name) + (m_run ? tr(" (Run)") : QString()));
    setWindowModified(IsModified());
}

void KrDesignerWindow::UpdateActions()
{
    const bool design = !m_run;
    const QList<QWidget *> sel = Selection();
    TKrSymbol *one = SelectedSymbol();
    IKrRotatable *rot = one ? Supports<IKrRotatable>(one) : nullptr;
    ui->actUndo->setEnabled(design && m_history.CanUndo());
    ui->actRedo->setEnabled(design && m_history.CanRedo());
    ui->actCut->setEnabled(design && !sel.isEmpty());
    ui->actCopy->setEnabled(design && !sel.isEmpty());
    ui->actPaste->setEnabled(design && !m_clipboard.isEmpty());
    ui->actDelete->setEnabled(design && !sel.isEmpty());
    ui->actSelectAll->setEnabled(design);
    ui->actBringToFront->setEnabled(design && !sel.isEmpty());
    ui->actSendToBack->setEnabled(design && !sel.isEmpty());
    const bool canRotate = design && rot && rot->CanRotate();
    ui->actRotateRight->setEnabled(canRotate);
    ui->actRotateLeft->setEnabled(canRotate);
    ui->actMirrorHorizontal->setEnabled(canRotate);
    ui->actMirrorVertical->setEnabled(canRotate);
    ui->actGrid->setEnabled(design);
    ui->lstPalette->setEnabled(design);
    ui->actRunMode->setChecked(m_run);
    setWindowModified(IsModified());
}

void KrDesignerWindow::ResizePage()
{
    m_page->resize(qRound(WorkAreaW * m_zoom), qRound(WorkAreaH * m_zoom));
    m_overlay->setGeometry(m_page->rect());
}

void KrDesignerWindow::ApplyPageBackground()
{
    QPalette pal = m_page->palette();
    if (!m_run && GridSize() > 1) {
        QPixmap tile(GridSize(), GridSize());
        tile.fill(Qt::white);
        QPainter p(&tile);
        p.setPen(QColor(170, 170, 170));
        p.drawPoint(0, 0);
        pal.setBrush(QPalette::Window, QBrush(tile));
    } else {
        pal.setBrush(QPalette::Window, QBrush(Qt::white));
    }
    m_page->setPalette(pal);
}

// ---------------------------------------------------------------- undo

QByteArray KrDesignerWindow::DesignOf(TKrSymbol *s) const
{
    TSymbolStream st;
    QStringList files;
    s->SaveToStream(st, files);
    return st.Data();
}

void KrDesignerWindow::Commit()
{
    m_commitPending = false;
    if (m_run || m_restoring)
        return;
    if (m_history.Record(m_page->SavePage())) {
        m_panelInput = false; // what the side panel changed is in this step
        if (m_detailsSymbol)
            m_detailsDesign = DesignOf(m_detailsSymbol);
        if (m_genericPage)
            static_cast<TKrPropertyPage *>(m_genericPage.data())->Reload();
    }
    UpdateTitle();
    UpdateActions();
}

void KrDesignerWindow::ScheduleCommit()
{
    if (m_commitPending || m_run || m_restoring)
        return;
    m_commitPending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_commitPending) // not taken by an explicit commit meanwhile
            Commit();
    });
}

void KrDesignerWindow::DetailsEdited()
{
    m_panelInput = true;
    CheckDetailsEdit();
}

void KrDesignerWindow::CheckDetailsEdit()
{
    // A symbol's design data also changes when one of its variable links shows
    // a new value (a value text keeps its caption): only a change after the
    // user worked in the side panel is an edit.
    if (!m_panelInput)
        return;
    m_panelInput = false;
    if (!m_detailsSymbol || m_run)
        return;
    const QByteArray now = DesignOf(m_detailsSymbol);
    if (now != m_detailsDesign) {
        m_detailsDesign = now;
        m_detailsSymbol->Validate();
        Commit();
    }
}

void KrDesignerWindow::RestoreState(const QByteArray &state)
{
    QStringList names;
    for (QWidget *w : Selection())
        if (TKrSymbol *s = KrSymbolOf(w))
            names.append(s->Name());
    m_restoring = true;
    SetSelection({});
    HideDetails();
    m_page->LoadPage(state);
    m_page->LayoutPlaceholders();
    m_overlay->raise();
    m_restoring = false;
    QList<QWidget *> sel;
    for (const QString &n : names)
        if (TKrSymbol *s = KrSymbolOf(m_page->FindSymbol(n)))
            sel.append(s);
    SetSelection(sel);
    UpdateTitle();
    UpdateActions();
}

void KrDesignerWindow::Undo()
{
    CheckDetailsEdit();
    if (m_run || !m_history.CanUndo())
        return;
    RestoreState(m_history.Undo());
}

void KrDesignerWindow::Redo()
{
    if (m_run || !m_history.CanRedo())
        return;
    RestoreState(m_history.Redo());
}

// ---------------------------------------------------------------- selection and details

QList<QWidget *> KrDesignerWindow::Selection() const
{
    QList<QWidget *> list;
    for (const QPointer<QWidget> &w : m_selection)
        if (w)
            list.append(w);
    return list;
}

TKrSymbol *KrDesignerWindow::SelectedSymbol() const
{
    const QList<QWidget *> sel = Selection();
    return sel.size() == 1 ? KrSymbolOf(sel.first()) : nullptr;
}

void KrDesignerWindow::SetSelection(const QList<QWidget *> &items)
{
    CheckDetailsEdit();
    m_selection.clear();
    for (QWidget *w : items)
        if (w && !m_selection.contains(w))
            m_selection.append(w);
    TKrSymbol *one = SelectedSymbol();
    if (one != m_detailsSymbol.data())
        ShowDetailsOf(one);
    const QList<QWidget *> sel = Selection();
    if (sel.size() > 1)
        ui->laSymbol->setText(tr("%n symbols selected", nullptr, int(sel.size())));
    else if (sel.size() == 1 && !one)
        if (auto *p = qobject_cast<TKrPlaceholder *>(sel.first()))
            ui->laSymbol->setText(tr("%1: library %2 not loaded").arg(p->Name(), p->Guid()));
    m_overlay->update();
    UpdateActions();
}

void KrDesignerWindow::AdoptChildren(QWidget *panel)
{
    auto *layout = qobject_cast<QVBoxLayout *>(panel->layout());
    for (QObject *o : panel->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (w && layout->indexOf(w) < 0 && !w->isWindow()) {
            layout->addWidget(w);
            w->show();
        }
    }
    // Keep the pages at the top of the panel.
    for (int i = layout->count() - 1; i >= 0; --i)
        if (layout->itemAt(i)->spacerItem())
            delete layout->takeAt(i);
    layout->addStretch(1);
}

static bool HasChildWidgets(QWidget *panel)
{
    for (QObject *o : panel->children())
        if (auto *w = qobject_cast<QWidget *>(o); w && !w->isWindow())
            return true;
    return false;
}

static QList<TKrPropField> PublishedFields(QObject *o, int offset)
{
    QList<TKrPropField> fields;
    const QMetaObject *mo = o->metaObject();
    for (int i = offset; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (!p.isStored() || !p.isWritable())
            continue;
        switch (p.metaType().id()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Double:
        case QMetaType::QString:
        case QMetaType::QStringList:
            break;
        default:
            continue;
        }
        TKrPropField f;
        f.property = p.name();
        f.caption = QString::fromLatin1(p.name());
        fields.append(f);
    }
    return fields;
}

static void ClearPanel(QWidget *panel)
{
    for (QObject *o : panel->children())
        if (auto *w = qobject_cast<QWidget *>(o); w && !w->isWindow()) {
            w->hide();
            w->deleteLater();
        }
}

void KrDesignerWindow::ShowDetailsOf(TKrSymbol *symbol)
{
    HideDetails();
    if (!symbol || m_run)
        return;
    m_detailsSymbol = symbol;
    m_detailsDesign = DesignOf(symbol);
    ui->laSymbol->setText(tr("%1 (%2)").arg(symbol->Name(), QString::fromLatin1(symbol->metaObject()->className())));
    symbol->ShowDetails(ui->pnDetails);
    if (!HasChildWidgets(ui->pnDetails)) {
        // A component without a page of its own: its published properties.
        const QList<TKrPropField> fields = PublishedFields(symbol, TKrGraphicControl::staticMetaObject.propertyCount());
        if (!fields.isEmpty()) {
            QPointer<TKrSymbol> s = symbol;
            m_genericPage = new TKrPropertyPage(symbol, fields, [this, s] {
                if (s) {
                    s->Validate();
                    s->update();
                }
                DetailsEdited();
            }, ui->pnDetails);
            m_genericPage->setObjectName(QStringLiteral("pnGenericDetails"));
        }
    }
    AdoptChildren(ui->pnDetails);
    RebuildElementTree();
}

void KrDesignerWindow::HideDetails()
{
    HideElementDetails();
    ui->trvElements->clear();
    m_treeItems.clear();
    if (m_detailsSymbol)
        m_detailsSymbol->HideDetails();
    m_detailsSymbol = nullptr;
    m_detailsDesign.clear();
    delete m_genericPage;
    ClearPanel(ui->pnDetails);
    ui->laSymbol->setText(tr("No symbol selected"));
}

void KrDesignerWindow::RebuildElementTree()
{
    QPointer<TKrChild> current = m_element;
    HideElementDetails();
    ui->trvElements->clear();
    m_treeItems.clear();
    if (!m_detailsSymbol)
        return;
    std::function<void(const TKrComponent *, QTreeWidgetItem *)> add = [&](const TKrComponent *owner, QTreeWidgetItem *parent) {
        for (TKrChild *e : KrElementsOf(owner)) {
            if (!e->GetShowInTree())
                continue;
            auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(ui->trvElements);
            item->setText(0, e->Name());
            m_treeItems.append({item, e});
            add(e, item);
        }
    };
    add(m_detailsSymbol, nullptr);
    ui->trvElements->expandAll();
    if (current)
        for (const auto &[item, e] : m_treeItems)
            if (e == current)
                ui->trvElements->setCurrentItem(item);
}

void KrDesignerWindow::trvElementsCurrentItemChanged(QTreeWidgetItem *current, QTreeWidgetItem *)
{
    for (const auto &[item, e] : m_treeItems)
        if (item == current) {
            ShowElementDetails(e);
            return;
        }
    HideElementDetails();
}

void KrDesignerWindow::ShowElementDetails(TKrChild *element)
{
    CheckDetailsEdit();
    HideElementDetails();
    if (!element)
        return;
    m_element = element;
    element->ShowDetails(ui->pnElementDetails);
    if (!HasChildWidgets(ui->pnElementDetails)) {
        const QList<TKrPropField> fields = PublishedFields(element, TKrChild::staticMetaObject.propertyCount());
        if (!fields.isEmpty())
            m_genericElementPage = new TKrPropertyPage(element, fields, [this] { DetailsEdited(); }, ui->pnElementDetails);
    }
    AdoptChildren(ui->pnElementDetails);
}

void KrDesignerWindow::HideElementDetails()
{
    if (m_element)
        m_element->HideDetails();
    m_element = nullptr;
    delete m_genericElementPage;
    ClearPanel(ui->pnElementDetails);
}

// ---------------------------------------------------------------- editing

int KrDesignerWindow::GridSize() const
{
    return ui->actGrid->isChecked() ? kGrid : 1;
}

void KrDesignerWindow::ArmComponent(const QString &guid)
{
    m_armed = guid;
    statusBar()->showMessage(guid.isEmpty() ? QString() : tr("Click on the page to place the symbol."));
}

TKrSymbol *KrDesignerWindow::PlaceSymbol(const QString &guid, const QPoint &pagePos)
{
    m_armed.clear();
    if (m_run)
        return nullptr;
    const KrPaletteEntry *entry = m_palette.Entry(guid);
    if (!entry || !entry->library)
        return nullptr;
    // On the container under the point, if there is one.
    TKrComponent *owner = m_page;
    QPoint pos = pagePos;
    for (QWidget *w = m_overlay->ItemAt(pagePos); w; w = w->parentWidget()) {
        if (auto *c = qobject_cast<TKrCustomDrawingControl *>(KrSymbolOf(w))) {
            owner = c;
            pos = c->mapFrom(m_page, pagePos);
            break;
        }
    }
    const int g = GridSize();
    auto snap = [g](int v) { return g > 1 ? (v / g) * g : v; };
    // An empty rectangle: the symbol keeps the size its component gives it.
    const TRect bounds(snap(pos.x()), snap(pos.y()), snap(pos.x()), snap(pos.y()));
    TKrSymbol *s = m_page->CreateSymbol(entry->library, QString(), bounds, owner);
    if (!s) {
        m_dialogs->Warning(this, tr("KrDesigner"), tr("The library %1 made no symbol.").arg(entry->path));
        return nullptr;
    }
    m_overlay->raise();
    SetSelection({s});
    Commit();
    statusBar()->showMessage(tr("Placed %1").arg(s->Name()), 3000);
    return s;
}

void KrDesignerWindow::ContextPopup(QWidget *item, const QPoint &pagePos)
{
    if (m_run)
        return;
    QList<QAction *> designer{ui->actCut, ui->actCopy, ui->actPaste, ui->actDelete, ui->actBringToFront, ui->actSendToBack};
    TKrSymbol *s = KrSymbolOf(item);
    if (s && Supports<IKrRotatable>(s))
        designer << ui->actRotateRight << ui->actRotateLeft << ui->actMirrorHorizontal << ui->actMirrorVertical;
    if (s) {
        QMenu *menu = s->PopupMenu();
        for (QAction *a : menu->actions())
            if (a->property("krDesigner").toBool() || designer.contains(a))
                menu->removeAction(a);
        auto addDesignerCommands = [&] {
            QAction *sep = menu->addSeparator();
            sep->setProperty("krDesigner", true);
            menu->addActions(designer);
        };
        addDesignerCommands();
        connect(menu, &QMenu::aboutToHide, this, &KrDesignerWindow::ScheduleCommit, Qt::UniqueConnection);
        bool handled = false;
        s->DoContextPopup(s->mapFrom(m_page, pagePos), handled);
        if (handled) {
            // A component that makes its menu afresh (a floor's "Copy Ref.")
            // has taken the designer's commands out: they follow its items.
            if (!menu->actions().contains(ui->actDelete))
                addDesignerCommands();
            return;
        }
    }
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addActions(designer);
    menu->popup(m_page->mapToGlobal(pagePos));
}

int KrDesignerWindow::DeleteSelection()
{
    CheckDetailsEdit();
    const QList<QWidget *> sel = Selection();
    SetSelection({});
    QStringList refused;
    int deleted = 0;
    // Symbols owned by other selected symbols go with them (and so do
    // placeholders that sit on them): every item is held by a guarded pointer.
    QList<QPointer<TKrSymbol>> symbols;
    QList<QPointer<TKrPlaceholder>> placeholders;
    for (QWidget *w : sel) {
        if (TKrSymbol *s = KrSymbolOf(w))
            symbols.append(s);
        else if (auto *p = qobject_cast<TKrPlaceholder *>(w))
            placeholders.append(p);
    }
    for (const QPointer<TKrPlaceholder> &p : placeholders) {
        if (p) {
            m_page->DeletePlaceholder(p);
            ++deleted;
        }
    }
    for (const QPointer<TKrSymbol> &s : symbols) {
        if (!s)
            continue;
        const QString name = s->Name();
        if (m_page->DeleteSymbol(s))
            ++deleted;
        else
            refused.append(name);
    }
    if (deleted)
        Commit();
    if (!refused.isEmpty())
        m_dialogs->Warning(this, tr("KrDesigner"), tr("These symbols cannot be deleted now: %1").arg(refused.join(QStringLiteral(", "))));
    m_overlay->update();
    return deleted;
}

void KrDesignerWindow::CopySelection()
{
    QList<TKrSymbol *> symbols;
    for (QWidget *w : Selection())
        if (TKrSymbol *s = KrSymbolOf(w)) {
            // A symbol inside another selected one is copied with it.
            bool inside = false;
            for (TKrComponent *o = s->Owner(); o; o = o->Owner())
                if (Selection().contains(qobject_cast<QWidget *>(o->AsObject())))
                    inside = true;
            if (!inside)
                symbols.append(s);
        }
    if (symbols.isEmpty())
        return;
    m_clipboard = m_page->CopySymbols(symbols);
    auto *mime = new QMimeData;
    mime->setData(QLatin1String(kSymbolsMimeType), m_clipboard);
    QApplication::clipboard()->setMimeData(mime);
    UpdateActions();
}

QList<TKrSymbol *> KrDesignerWindow::Paste()
{
    if (m_run)
        return {};
    QByteArray data = m_clipboard;
    if (const QMimeData *mime = QApplication::clipboard()->mimeData(); mime && mime->hasFormat(QLatin1String(kSymbolsMimeType)))
        data = mime->data(QLatin1String(kSymbolsMimeType));
    if (data.isEmpty())
        return {};
    const QList<TKrSymbol *> pasted = m_page->PasteSymbols(data);
    m_lastRenames.clear();
    for (TKrSymbol *s : pasted) {
        const QString old = FindNameChangedOld(s->Name());
        if (old != s->Name())
            m_lastRenames.append(tr("%1 -> %2").arg(old, s->Name()));
        if (s->Owner() == m_page) // beside the originals
            s->SetBounds(TRect::fromQRect(s->geometry().translated(2 * kGrid, 2 * kGrid)));
        s->show();
    }
    m_overlay->raise();
    QList<QWidget *> sel;
    for (TKrSymbol *s : pasted)
        if (s->Owner() == m_page)
            sel.append(s);
    SetSelection(sel);
    Commit();
    if (!m_lastRenames.isEmpty())
        statusBar()->showMessage(tr("Renamed: %1").arg(m_lastRenames.join(QStringLiteral(", "))), 8000);
    ReportProblems(tr("The pasted symbols"), m_page->Problems());
    return pasted;
}

void KrDesignerWindow::Rotate(TRotateFunction function)
{
    for (QWidget *w : Selection()) {
        TKrSymbol *s = KrSymbolOf(w);
        IKrRotatable *r = s ? Supports<IKrRotatable>(s) : nullptr;
        if (r && r->CanRotate())
            r->Rotate_Mirror(function, s->mapToGlobal(s->rect().center()));
    }
    Commit();
    m_overlay->update();
}

void KrDesignerWindow::SetZOrder(bool toFront)
{
    for (QWidget *w : Selection()) {
        TKrSymbol *s = KrSymbolOf(w);
        if (!s || !s->Owner())
            continue;
        s->SetSymbolZOrder(toFront);
        // The page file keeps the order of the owner's list: lowest first.
        TKrComponent *owner = s->Owner();
        if (toFront) {
            owner->RemoveComponent(s);
            owner->InsertComponent(s);
        } else {
            for (TKrComponent *c : owner->Components())
                if (c != s && KrSymbolOf(c->AsObject())) {
                    owner->RemoveComponent(c);
                    owner->InsertComponent(c);
                }
        }
    }
    m_overlay->raise();
    Commit();
}

void KrDesignerWindow::SetZoom(double zoom)
{
    m_zoom = qBound(0.25, zoom, 4.0);
    GlobZoomFactor = m_zoom;
    ResizePage();
    for (TKrComponent *c : m_page->Components())
        if (TKrSymbol *s = KrSymbolOf(c->AsObject()))
            s->ValidateDim();
    m_page->LayoutPlaceholders();
    for (TKrSymbol *s : m_page->Symbols())
        if (auto *c = qobject_cast<TKrCustomDrawingControl *>(s))
            c->PaperChanged();
    m_overlay->update();
    statusBar()->showMessage(tr("Zoom %1%").arg(qRound(m_zoom * 100)), 2000);
}

// ---------------------------------------------------------------- run mode

void KrDesignerWindow::SetRunMode(bool run)
{
    if (run == m_run)
        return;
    if (run) {
        CheckDetailsEdit();
        if (m_commitPending)
            Commit();
        SetSelection({});
        HideDetails();
        m_armed.clear();
        m_designState = m_history.Current();
        m_run = true;
        m_overlay->hide();
        m_page->SetDesigner(nullptr);
        ApplyPageBackground();
        // Floors run as their component defines them: one that an opener can
        // show stays hidden until it does, unless the page holds it open. In
        // design mode every floor is shown, to place symbols on it.
        for (TKrSymbol *s : m_page->Symbols()) {
            IKRWorkFloor *floor = Supports<IKRWorkFloor>(s);
            if (floor && floor->GetRelationCount() > 0 && floor->GetOpenerName().isEmpty() && !s->isHidden())
                floor->CloseFloor(QString());
        }
        if (!m_fileName.isEmpty()) {
            const QStringList bad = KrRunTimeFile::Load(m_page, m_fileName);
            if (!bad.isEmpty())
                statusBar()->showMessage(tr("Run-time data not restored for: %1").arg(bad.join(QStringLiteral(", "))), 8000);
        }
        PaperOpened(m_page);
        ui->dkPalette->hide();
        ui->dkDetails->hide();
    } else {
        if (!m_fileName.isEmpty()) {
            QString error;
            if (!KrRunTimeFile::Save(m_page, m_fileName, &error))
                m_dialogs->Warning(this, tr("KrDesigner"), tr("The run-time data cannot be saved to %1:\n%2").arg(KrRunTimeFile::FileNameFor(m_fileName), error));
        }
        m_run = false;
        m_page->SetDesigner(&m_designer);
        // The page as it was designed: running changes nothing of it.
        RestoreState(m_designState);
        m_designState.clear();
        m_overlay->show();
        m_overlay->raise();
        ApplyPageBackground();
        ui->dkPalette->show();
        ui->dkDetails->show();
    }
    UpdateTitle();
    UpdateActions();
}

// ---------------------------------------------------------------- handlers

void KrDesignerWindow::actNewExecute()
{
    if (MaybeSave())
        NewPage();
}

void KrDesignerWindow::actOpenExecute()
{
    if (!MaybeSave())
        return;
    const QString dir = m_fileName.isEmpty() ? QString() : QFileInfo(m_fileName).absolutePath();
    const QString file = m_dialogs->OpenFileName(this, tr("Open Page"), dir, tr(kPageFilter));
    if (!file.isEmpty())
        LoadPageFile(file);
}

void KrDesignerWindow::actSaveExecute()
{
    if (m_fileName.isEmpty())
        actSaveAsExecute();
    else
        SavePageFile(m_fileName);
}

void KrDesignerWindow::actSaveAsExecute()
{
    QString file = m_dialogs->SaveFileName(this, tr("Save Page"), m_fileName, tr(kPageFilter));
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".krpage");
    SavePageFile(file);
}

void KrDesignerWindow::actComponentFolderExecute()
{
    const QString dir = m_dialogs->DirectoryName(this, tr("Component Folder"), SettingsComponentFolder());
    if (dir.isEmpty())
        return;
    SetSettingsComponentFolder(dir);
    ScanComponents();
}

void KrDesignerWindow::actExitExecute()
{
    close();
}

void KrDesignerWindow::actUndoExecute() { Undo(); }
void KrDesignerWindow::actRedoExecute() { Redo(); }

void KrDesignerWindow::actCutExecute()
{
    CopySelection();
    DeleteSelection();
}

void KrDesignerWindow::actCopyExecute() { CopySelection(); }
void KrDesignerWindow::actPasteExecute() { Paste(); }
void KrDesignerWindow::actDeleteExecute() { DeleteSelection(); }

void KrDesignerWindow::actSelectAllExecute()
{
    QList<QWidget *> all;
    for (QObject *o : m_page->children())
        if (auto *w = qobject_cast<QWidget *>(o); w && w != m_overlay && (KrSymbolOf(w) || qobject_cast<TKrPlaceholder *>(w)) && w->isVisibleTo(m_page))
            all.append(w);
    SetSelection(all);
}

void KrDesignerWindow::actBringToFrontExecute() { SetZOrder(true); }
void KrDesignerWindow::actSendToBackExecute() { SetZOrder(false); }
void KrDesignerWindow::actRotateRightExecute() { Rotate(rfRotateRight); }
void KrDesignerWindow::actRotateLeftExecute() { Rotate(rfRotateLeft); }
void KrDesignerWindow::actMirrorHorizontalExecute() { Rotate(rfMirrorHorizontal); }
void KrDesignerWindow::actMirrorVerticalExecute() { Rotate(rfMirrorVertical); }
void KrDesignerWindow::actZoomInExecute() { SetZoom(m_zoom * 1.25); }
void KrDesignerWindow::actZoomOutExecute() { SetZoom(m_zoom / 1.25); }
void KrDesignerWindow::actZoomNormalExecute() { SetZoom(1.0); }

void KrDesignerWindow::actGridExecute()
{
    ApplyPageBackground();
}

void KrDesignerWindow::actRunModeExecute()
{
    SetRunMode(ui->actRunMode->isChecked());
}

void KrDesignerWindow::lstPaletteItemClicked(QListWidgetItem *item)
{
    if (!item || !(item->flags() & Qt::ItemIsEnabled))
        return;
    ArmComponent(item->data(Qt::UserRole).toString());
}

void KrDesignerWindow::closeEvent(QCloseEvent *e)
{
    if (m_run && !m_fileName.isEmpty()) {
        QString error;
        KrRunTimeFile::Save(m_page, m_fileName, &error);
    }
    if (!MaybeSave()) {
        e->ignore();
        return;
    }
    e->accept();
}

bool KrDesignerWindow::eventFilter(QObject *watched, QEvent *e)
{
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
    case QEvent::InputMethod:
        if (auto *w = qobject_cast<QWidget *>(watched); w && ui->dkDetails->isAncestorOf(w))
            m_panelInput = true;
        break;
    default:
        break;
    }
    if (watched == ui->lstPalette->viewport()) {
        static QPoint pressPos;
        if (e->type() == QEvent::MouseButtonPress) {
            pressPos = static_cast<QMouseEvent *>(e)->position().toPoint();
        } else if (e->type() == QEvent::MouseMove && (static_cast<QMouseEvent *>(e)->buttons() & Qt::LeftButton)) {
            const QPoint pos = static_cast<QMouseEvent *>(e)->position().toPoint();
            if ((pos - pressPos).manhattanLength() >= QApplication::startDragDistance()) {
                QListWidgetItem *item = ui->lstPalette->itemAt(pressPos);
                if (item && (item->flags() & Qt::ItemIsEnabled)) {
                    auto *drag = new QDrag(ui->lstPalette);
                    auto *mime = new QMimeData;
                    mime->setData(QLatin1String(KrDesignOverlay::kMimeType), item->data(Qt::UserRole).toString().toLatin1());
                    drag->setMimeData(mime);
                    drag->setPixmap(item->icon().pixmap(32, 32));
                    drag->exec(Qt::CopyAction);
                    return true;
                }
            }
        }
        return false;
    }
    if (watched == ui->pnDetails || watched == ui->pnElementDetails) {
        if (e->type() == QEvent::ChildAdded)
            return false;
    }
    return QMainWindow::eventFilter(watched, e);
}
