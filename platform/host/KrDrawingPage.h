#pragma once
// The host's drawing page: the top-most container of a page's symbols. It owns
// the symbols placed on it (and, through containers, those on floors), answers
// IKrDrawingItem (scale 1, shown while the page is open), IKrSymbolLookup (any
// symbol on the page by name) and IKrHostContext (the designer, in design mode).
//
// Pages are saved as a page file: every symbol with its library, name, owner,
// container, place, scale, shown flag, design data and run-time data. Loading
// creates the symbols again through their libraries, restores their data and
// then runs InitSymbol on each; a symbol whose data is corrupt is reported and
// left at its defaults, and the rest of the page loads.
//
// A symbol whose library is not loaded (and whatever it owns) is reported and
// kept as a placeholder: a plain widget that shows the library and the symbol's
// name where the symbol lay, and writes the symbol's record back byte for byte
// when the page is saved. Symbols nested deeper than kMaxNesting, or beyond
// kMaxSymbols on one page, are not made either; their records are kept unshown
// and written back the same way, so saving never loses what the file held.

#include "KrHostGlobal.h"
#include "KrHostLoader.h"
#include "Krsymbols.h"

#include <QWidget>

class TKrHostDesigner;

// Stands in for a symbol whose library is missing: shows the library's GUID and
// the symbol's name, and holds the symbol's record as it was read.
class KRHOST_EXPORT TKrPlaceholder : public QWidget {
    Q_OBJECT
public:
    TKrPlaceholder(const QString &guid, const QString &name, const QByteArray &record, QWidget *parent);
    QString Guid() const { return m_guid; }
    QString Name() const { return m_name; }
    // The symbol's record in the page file, byte for byte.
    QByteArray Record() const { return m_record; }

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    friend class TKrDrawingPage;
    QString m_guid;
    QString m_name;
    QByteArray m_record;
    TDim m_dim;
    int m_position = 0; // index of the record in the file it came from
};

class KRHOST_EXPORT TKrDrawingPage : public QWidget, public TKrComponent, public IKrDrawingItem, public IKrSymbolLookup, public IKrHostContext {
    Q_OBJECT
    Q_INTERFACES(TKrComponent)

public:
    static constexpr quint32 kPageMagic = krpage::kMagic; // "KRPG"
    static constexpr quint16 kPageFormatVersion = krpage::kFormatVersion;
    // Containers nested deeper than this are not made (their records are kept).
    static constexpr int kMaxNesting = 32;
    // Symbols beyond this count on one page are not made (their records are kept).
    static constexpr int kMaxSymbols = 20000;

    explicit TKrDrawingPage(TKrHostLoader *loader, QWidget *parent = nullptr);
    ~TKrDrawingPage() override;

    QObject *AsObject() override { return this; }
    bool GetInterface(const TGUID &iid, void **obj) override;

    // IKrDrawingItem
    double GetScale() override { return 1.0; }
    bool GetShown() override { return m_open; }
    // IKrSymbolLookup
    QObject *FindSymbol(const QString &name) override;
    // IKrHostContext
    IKrDesigner *GetKrDesigner() override;

    // Design mode with a designer, run mode without (nullptr).
    void SetDesigner(TKrHostDesigner *designer);
    TKrHostDesigner *Designer() const { return m_designer; }

    // Shows the page and tells its symbols (PaperOpened).
    void Open();
    // Hides the page and tells its symbols (PaperClosed).
    void Close();
    bool IsOpen() const { return m_open; }

    // Creates a symbol of the library with owner (the page when nullptr) on the
    // owner's widget, names it (a unique name when name is empty or taken),
    // places it, runs InitSymbol and shows it.
    // An empty bounds rectangle places the symbol at its top left with the size its
    // component gives it (96 x 48 where the component gives none).
    TKrSymbol *CreateSymbol(TKrComponentLibrary *library, const QString &name, const TRect &bounds, TKrComponent *owner = nullptr);
    // Deletes a symbol if it agrees (CanDelete); true when deleted.
    bool DeleteSymbol(TKrSymbol *symbol);
    // Every symbol on the page, owners before what they own.
    QList<TKrSymbol *> Symbols() const;
    // A name no symbol on the page has, made from base and a number.
    QString UniqueName(const QString &base) const;

    // The page file.
    QByteArray SavePage() const;
    // Replaces the page's symbols with those of the data; false (and the
    // problems recorded) when the data is no page at all.
    bool LoadPage(const QByteArray &data);
    bool SaveToFile(const QString &fileName, QString *error = nullptr) const;
    bool LoadFromFile(const QString &fileName);

    // Copies symbols (with what they own) for a paste.
    QByteArray CopySymbols(const QList<TKrSymbol *> &symbols) const;
    // Pastes copied symbols into owner (the page when nullptr): names that are
    // taken are replaced and the renames recorded (Namechanged) before the
    // pasted symbols run InitSymbol. Returns the pasted symbols.
    QList<TKrSymbol *> PasteSymbols(const QByteArray &data, TKrComponent *owner = nullptr);

    // What went wrong in the last load or paste.
    QList<TKrLoadProblem> Problems() const { return m_problems; }
    // The format version of the last page loaded (kPageFormatVersion for a new page).
    quint16 LoadedFormatVersion() const { return m_loadedVersion; }

    // Placeholders of symbols whose library is missing, in file order.
    QList<TKrPlaceholder *> Placeholders() const;
    // Records kept without being shown (too deep, too many), written back on save.
    int KeptRecordCount() const { return int(m_kept.size()); }
    // Removes a placeholder (and its record) from the page.
    void DeletePlaceholder(TKrPlaceholder *placeholder);
    // Frees every symbol, placeholder and kept record: an empty page.
    void Clear();
    // Places the placeholders again after a change of zoom.
    void LayoutPlaceholders();

private:
    using Record = TKrPageRecord;
    QByteArray WriteRecords(const QList<TKrSymbol *> &symbols, bool withKept) const;
    QList<Record> ReadRecords(const QByteArray &data, bool *ok);
    QList<TKrSymbol *> Instantiate(const QList<Record> &records, TKrComponent *defaultOwner, bool paste);
    void ShowSymbol(TKrSymbol *s);
    struct Kept {
        QByteArray record;
        int position = 0;
    };
    // Placeholders and kept records with their positions, for writing back.
    QList<QPair<int, QByteArray>> KeptRecords() const;

    TKrHostLoader *m_loader;
    TKrHostDesigner *m_designer = nullptr;
    bool m_open = false;
    QList<TKrLoadProblem> m_problems;
    QList<Kept> m_kept;
    quint16 m_loadedVersion = kPageFormatVersion;
};

// The designer of the host in design mode: records modified notices, element
// tree refreshes and undo steps (the symbol's design data, restored by Undo).
class KRHOST_EXPORT TKrHostDesigner : public IKrDesigner {
public:
    explicit TKrHostDesigner(TKrDrawingPage *page = nullptr) : m_page(page) {}
    void SetPage(TKrDrawingPage *page) { m_page = page; }

    void Modified(bool modified) override;
    void RefreshElementTree() override { ++m_treeRefreshes; }
    bool AskBeforeMultiMedia() override { return m_askBeforeMedia; }
    void AddUndo(QObject *symbol) override;

    bool IsModified() const { return m_modified; }
    void SetAskBeforeMultiMedia(bool ask) { m_askBeforeMedia = ask; }
    int TreeRefreshes() const { return m_treeRefreshes; }
    int UndoCount() const { return int(m_undo.size()); }
    // Restores the symbol of the last undo step to its recorded design data.
    bool Undo();
    // The element tree of a symbol: the labels of the elements shown in the
    // tree, nested elements indented by two spaces per level.
    static QStringList ElementTree(TKrSymbol *symbol);

private:
    struct Step {
        QString name;
        QByteArray data;
    };
    TKrDrawingPage *m_page;
    bool m_modified = false;
    bool m_askBeforeMedia = true;
    int m_treeRefreshes = 0;
    QList<Step> m_undo;
};
