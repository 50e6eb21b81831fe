#include "KrDrawingPage.h"

#include "Divunit.h"
#include "Krvisible.h"
#include "Namechanged.h"

#include <QCoreApplication>
#include <QFile>
#include <cmath>
#include <QHash>
#include <QPainter>
#include <QSet>
#include <QSaveFile>
#include <QtDebug>
#include <functional>
#include <algorithm>



static const char *kGuidProperty = "krComponentGuid";

// ---------------------------------------------------------------- placeholder

TKrPlaceholder::TKrPlaceholder(const QString &guid, const QString &name, const QByteArray &record, QWidget *parent)
    : QWidget(parent), m_guid(guid), m_name(name), m_record(record)
{
    setToolTip(QCoreApplication::translate("TKrDrawingPage", "%1: the component library %2 is not loaded").arg(name, guid));
}

void TKrPlaceholder::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(255, 240, 240));
    QPen pen(Qt::red);
    pen.setStyle(Qt::DashLine);
    p.setPen(pen);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(Qt::darkRed);
    QFont f = font();
    f.setPointSizeF(qMax(5.0, f.pointSizeF() * 0.8));
    p.setFont(f);
    p.drawText(rect().adjusted(2, 1, -2, -1), Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere, m_name + QLatin1Char('\n') + m_guid);
}

TKrDrawingPage::TKrDrawingPage(TKrHostLoader *loader, QWidget *parent) : QWidget(parent), TKrComponent(nullptr), m_loader(loader)
{
    setAutoFillBackground(true);
}

TKrDrawingPage::~TKrDrawingPage()
{
    Clear();
}

QList<TKrPlaceholder *> TKrDrawingPage::Placeholders() const
{
    QList<TKrPlaceholder *> list = findChildren<TKrPlaceholder *>();
    std::sort(list.begin(), list.end(), [](TKrPlaceholder *a, TKrPlaceholder *b) { return a->m_position < b->m_position; });
    return list;
}

void TKrDrawingPage::DeletePlaceholder(TKrPlaceholder *placeholder)
{
    delete placeholder;
}

void TKrDrawingPage::Clear()
{
    DestroyComponents();
    qDeleteAll(findChildren<TKrPlaceholder *>());
    m_kept.clear();
}

void TKrDrawingPage::LayoutPlaceholders()
{
    for (TKrPlaceholder *p : findChildren<TKrPlaceholder *>()) {
        const double sx = double(WorkAreaW) * GlobZoomFactor;
        const double sy = double(WorkAreaH) * GlobZoomFactor;
        p->setGeometry(qRound(p->m_dim.Left * sx), qRound(p->m_dim.Top * sy), qMax(24, int(qRound(p->m_dim.Width * sx))), qMax(16, int(qRound(p->m_dim.Height * sy))));
    }
}

QList<QPair<int, QByteArray>> TKrDrawingPage::KeptRecords() const
{
    QList<QPair<int, QByteArray>> list;
    for (TKrPlaceholder *p : findChildren<TKrPlaceholder *>())
        list.append({p->m_position, p->m_record});
    for (const Kept &k : m_kept)
        list.append({k.position, k.record});
    std::stable_sort(list.begin(), list.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    return list;
}

bool TKrDrawingPage::GetInterface(const TGUID &iid, void **obj)
{
    KR_OFFER_INTERFACE(IKrDrawingItem)
    KR_OFFER_INTERFACE(IKrSymbolLookup)
    KR_OFFER_INTERFACE(IKrHostContext)
    return TKrComponent::GetInterface(iid, obj);
}

static void CollectSymbols(const TKrComponent *owner, QList<TKrSymbol *> &out)
{
    for (TKrComponent *c : owner->Components()) {
        if (TKrSymbol *s = KrSymbolOf(c->AsObject())) {
            out.append(s);
            CollectSymbols(s, out);
        }
    }
}

QList<TKrSymbol *> TKrDrawingPage::Symbols() const
{
    QList<TKrSymbol *> list;
    CollectSymbols(this, list);
    return list;
}

QObject *TKrDrawingPage::FindSymbol(const QString &name)
{
    if (name.isEmpty())
        return nullptr;
    for (TKrSymbol *s : Symbols())
        if (s->Name().compare(name, Qt::CaseInsensitive) == 0)
            return s;
    return nullptr;
}

IKrDesigner *TKrDrawingPage::GetKrDesigner()
{
    return m_designer;
}

void TKrDrawingPage::SetDesigner(TKrHostDesigner *designer)
{
    m_designer = designer;
    if (designer)
        designer->SetPage(this);
    for (TKrSymbol *s : Symbols())
        s->DesignerChange();
}

void TKrDrawingPage::Open()
{
    m_open = true;
    show();
    PaperOpened(this);
    for (TKrSymbol *s : Symbols())
        if (auto *c = qobject_cast<TKrCustomDrawingControl *>(s))
            c->PaperChanged();
}

void TKrDrawingPage::Close()
{
    m_open = false;
    PaperClosed(this);
    hide();
}

QString TKrDrawingPage::UniqueName(const QString &base) const
{
    QString stem = base;
    while (!stem.isEmpty() && stem.back().isDigit())
        stem.chop(1);
    if (stem.isEmpty())
        stem = QStringLiteral("Symbol");
    auto *self = const_cast<TKrDrawingPage *>(this);
    for (int i = 1;; ++i) {
        const QString name = stem + QString::number(i);
        if (!self->FindSymbol(name))
            return name;
    }
}

void TKrDrawingPage::ShowSymbol(TKrSymbol *s)
{
    s->show();
    const bool v = IsVisible(s);
    if (s->GrundI()->GetVisible() != v) {
        s->GrundI()->SetVisible(v);
        s->VisibleChanged(this);
    }
}

TKrSymbol *TKrDrawingPage::CreateSymbol(TKrComponentLibrary *library, const QString &name, const TRect &bounds, TKrComponent *owner)
{
    if (!library)
        return nullptr;
    if (!owner)
        owner = this;
    TKrSymbol *s = library->Create(owner);
    if (!s)
        return nullptr;
    s->setProperty(kGuidProperty, library->Guid());
    if (auto *w = qobject_cast<QWidget *>(owner->AsObject()); w && s->parentWidget() != w)
        s->setParent(w);
    QString n = name;
    if (n.isEmpty() || FindSymbol(n))
        n = UniqueName(n.isEmpty() ? QString::fromLatin1(s->metaObject()->className()).mid(1) : n);
    s->SetName(n);
    if (bounds.IsEmpty()) {
        // Placed at a point only: the component's own default size, where it gives one.
        const QSize size = s->testAttribute(Qt::WA_Resized) ? s->size() : QSize(96, 48);
        s->SetBounds(TRect(bounds.Left, bounds.Top, bounds.Left + size.width(), bounds.Top + size.height()));
    } else {
        s->SetBounds(bounds);
    }
    s->SymbolCreateMode(cmNew);
    s->InitSymbol();
    ShowSymbol(s);
    return s;
}

bool TKrDrawingPage::DeleteSymbol(TKrSymbol *symbol)
{
    if (!symbol || !symbol->CanDelete())
        return false;
    delete symbol;
    return true;
}

// ---------------------------------------------------------------- page file

static void WriteSymbolRecord(TKeloStream &out, TKrSymbol *s, const QList<TKrSymbol *> &all, const QSet<TKrSymbol *> &inAll)
{
    TKeloBlockWriter rec(out, 'Y');
    out.WriteString(s->property(kGuidProperty).toString());
    out.WriteString(s->Name());
    TKrSymbol *owner = s->Owner() ? KrSymbolOf(s->Owner()->AsObject()) : nullptr;
    out.WriteString(owner && inAll.contains(owner) ? owner->Name() : QString());
    TKrSymbol *parent = KrSymbolOf(s->parentWidget());
    out.WriteString(parent && inAll.contains(parent) ? parent->Name() : QString());
    out.WriteBool(!s->isHidden() || !s->testAttribute(Qt::WA_WState_ExplicitShowHide));
    out.WriteBool(s->GrundI()->GetGrouped());
    const TDim d = s->GrundI()->GetDim();
    out.WriteDouble(d.Left);
    out.WriteDouble(d.Top);
    out.WriteDouble(d.Width);
    out.WriteDouble(d.Height);
    out.WriteDouble(s->GrundI()->GetScale());
    TSymbolStream design;
    QStringList files;
    s->SaveToStream(design, files);
    out.WriteBytes(design.Data());
    TRunTimeStream runtime;
    s->SaveRunTimeData(runtime);
    out.WriteBytes(runtime.Data());
    Q_UNUSED(all);
}

QByteArray TKrDrawingPage::WriteRecords(const QList<TKrSymbol *> &symbols, bool withKept) const
{
    QList<TKrSymbol *> all;
    QSet<TKrSymbol *> inAll;
    // Owners before what they own; each symbol once.
    std::function<void(TKrSymbol *)> collect = [&](TKrSymbol *s) {
        if (inAll.contains(s))
            return;
        inAll.insert(s);
        all.append(s);
        for (TKrComponent *c : s->Components())
            if (TKrSymbol *child = KrSymbolOf(c->AsObject()))
                collect(child);
    };
    for (TKrSymbol *s : symbols)
        collect(s);
    const QList<QPair<int, QByteArray>> kept = withKept ? KeptRecords() : QList<QPair<int, QByteArray>>();
    TKeloStream out;
    out.WriteUInt32(kPageMagic);
    out.WriteUInt16(kPageFormatVersion);
    const qint64 block = out.BeginBlock('S');
    out.WriteUInt32(quint32(all.size() + kept.size()));
    // Kept records go back where they stood in the file they came from, so a
    // page saved without changes is the same byte for byte.
    int written = 0;
    int k = 0;
    for (TKrSymbol *s : all) {
        while (k < kept.size() && kept[k].first <= written) {
            out.WriteRaw(kept[k++].second);
            ++written;
        }
        WriteSymbolRecord(out, s, all, inAll);
        ++written;
    }
    while (k < kept.size())
        out.WriteRaw(kept[k++].second);
    out.EndBlock(block);
    return out.Data();
}

QList<TKrDrawingPage::Record> TKrDrawingPage::ReadRecords(const QByteArray &data, bool *ok)
{
    quint16 version = 0;
    QList<Record> records = krpage::ReadRecords(data, &m_problems, &version, ok);
    if (version)
        m_loadedVersion = version;
    return records;
}

QList<TKrSymbol *> TKrDrawingPage::Instantiate(const QList<Record> &records, TKrComponent *defaultOwner, bool paste)
{
    QHash<QString, TKrSymbol *> made;    // by the name in the records
    QHash<QString, int> depthOf;         // nesting depth of made symbols
    QSet<QString> kept;                  // names of records kept unmade (their owned records follow them)
    QHash<QString, TKrPlaceholder *> placeholderOf;
    QSet<QString> taken;                 // names in use, lower case
    for (TKrSymbol *s : Symbols())
        taken.insert(s->Name().toLower());
    auto uniqueName = [&](const QString &base) {
        QString stem = base;
        while (!stem.isEmpty() && stem.back().isDigit())
            stem.chop(1);
        if (stem.isEmpty())
            stem = QStringLiteral("Symbol");
        for (int i = 1;; ++i) {
            const QString name = stem + QString::number(i);
            if (!taken.contains(name.toLower()))
                return name;
        }
    };
    int count = int(taken.size());
    int tooDeep = 0;
    int tooMany = 0;
    QList<TKrSymbol *> created;
    for (const Record &r : records) {
        const bool ownerKept = !r.owner.isEmpty() && kept.contains(r.owner);
        TKrComponentLibrary *lib = m_loader ? m_loader->Library(r.guid) : nullptr;
        int depth = 0;
        if (!r.owner.isEmpty() && made.contains(r.owner))
            depth = depthOf.value(r.owner) + 1;
        auto keep = [&](bool asPlaceholder) {
            kept.insert(r.name);
            if (paste)
                return; // a paste makes what it can; the rest stays in the copy
            if (asPlaceholder) {
                QWidget *parent = this;
                if (!r.owner.isEmpty() && made.contains(r.owner))
                    parent = made.value(r.owner);
                auto *p = new TKrPlaceholder(r.guid, r.name, r.raw, parent);
                p->m_dim = TDim{r.left, r.top, r.width, r.height};
                p->m_position = r.position;
                placeholderOf.insert(r.name, p);
                const double sx = double(WorkAreaW) * GlobZoomFactor;
                const double sy = double(WorkAreaH) * GlobZoomFactor;
                p->setGeometry(qRound(r.left * sx), qRound(r.top * sy), qMax(24, int(qRound(r.width * sx))), qMax(16, int(qRound(r.height * sy))));
                p->setVisible(r.shown);
            } else {
                m_kept.append({r.raw, r.position});
            }
        };
        if (!lib) {
            if (ownerKept && !placeholderOf.contains(r.owner)) {
                keep(false);
                continue;
            }
            m_problems.append({r.name, QStringLiteral("the component library %1 is not loaded; the symbol is kept as a placeholder").arg(r.guid)});
            keep(!ownerKept);
            continue;
        }
        if (ownerKept) {
            m_problems.append({r.name, QStringLiteral("its owner %1 could not be made; the symbol is kept unchanged but not shown").arg(r.owner)});
            keep(false);
            continue;
        }
        TKrComponent *owner = defaultOwner;
        if (!r.owner.isEmpty()) {
            TKrSymbol *o = made.value(r.owner);
            if (!o) {
                m_problems.append({r.name, QStringLiteral("its owner %1 is missing; the symbol is left out").arg(r.owner)});
                continue;
            }
            owner = o;
        }
        if (depth > kMaxNesting) {
            ++tooDeep;
            keep(false);
            continue;
        }
        if (count >= kMaxSymbols) {
            ++tooMany;
            keep(false);
            continue;
        }
        TKrSymbol *s = lib->Create(owner);
        if (!s) {
            m_problems.append({r.name, QStringLiteral("the library %1 made no symbol").arg(lib->Path())});
            continue;
        }
        ++count;
        s->setProperty(kGuidProperty, lib->Guid());
        QWidget *parent = qobject_cast<QWidget *>(owner->AsObject());
        if (!r.parent.isEmpty())
            if (TKrSymbol *p = made.value(r.parent))
                parent = p;
        if (parent && s->parentWidget() != parent)
            s->setParent(parent);
        QString name = r.name;
        if (name.isEmpty() || taken.contains(name.toLower())) {
            name = uniqueName(name.isEmpty() ? QStringLiteral("Symbol") : name);
            if (paste)
                KrNameChangedAdd(r.name, name);
        }
        taken.insert(name.toLower());
        s->SetName(name);
        made.insert(r.name, s);
        depthOf.insert(r.name, depth);
        s->GrundI()->SetGrouped(r.grouped);
        s->SetDim(TDim{r.left, r.top, r.width, r.height});
        if (r.scale != 1.0)
            s->GrundI()->SetScale(r.scale);
        TSymbolStream design(r.design);
        try {
            s->InitFromStream(design);
        } catch (const std::exception &e) {
            m_problems.append({name, QStringLiteral("corrupt design data (%1); defaults kept").arg(QString::fromLocal8Bit(e.what()))});
        }
        if (!r.runtime.isEmpty()) {
            TRunTimeStream runtime(r.runtime);
            try {
                s->LoadRunTimeData(runtime);
            } catch (const std::exception &e) {
                m_problems.append({name, QStringLiteral("corrupt run-time data (%1); ignored").arg(QString::fromLocal8Bit(e.what()))});
            }
        }
        if (r.shown)
            s->show();
        else
            s->hide();
        s->SymbolCreateMode(paste ? cmPaste : cmLoad);
        created.append(s);
    }
    if (tooDeep)
        m_problems.append({QStringLiteral("page"), QStringLiteral("%1 symbols nested deeper than %2 levels are kept unchanged but not shown").arg(tooDeep).arg(kMaxNesting)});
    if (tooMany)
        m_problems.append({QStringLiteral("page"), QStringLiteral("%1 symbols beyond the first %2 are kept unchanged but not shown").arg(tooMany).arg(kMaxSymbols)});
    for (TKrSymbol *s : created)
        s->InitSymbol();
    if (m_open)
        PaperOpened(this);
    return created;
}

QByteArray TKrDrawingPage::SavePage() const
{
    QList<TKrSymbol *> top;
    for (TKrComponent *c : Components())
        if (TKrSymbol *s = KrSymbolOf(c->AsObject()))
            top.append(s);
    return WriteRecords(top, true);
}

bool TKrDrawingPage::LoadPage(const QByteArray &data)
{
    m_problems.clear();
    bool ok = false;
    const QList<Record> records = ReadRecords(data, &ok);
    if (!ok)
        return false;
    Clear();
    KrNameChangedClear();
    Instantiate(records, this, false);
    return true;
}

bool TKrDrawingPage::SaveToFile(const QString &fileName, QString *error) const
{
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    f.write(SavePage());
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

bool TKrDrawingPage::LoadFromFile(const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        m_problems = {{fileName, f.errorString()}};
        return false;
    }
    // A page file is small; refuse anything absurdly large before reading it.
    if (f.size() > 256LL * 1024 * 1024) {
        m_problems = {{fileName, QStringLiteral("the file is too large for a page")}};
        return false;
    }
    return LoadPage(f.readAll());
}

QByteArray TKrDrawingPage::CopySymbols(const QList<TKrSymbol *> &symbols) const
{
    return WriteRecords(symbols, false);
}

QList<TKrSymbol *> TKrDrawingPage::PasteSymbols(const QByteArray &data, TKrComponent *owner)
{
    m_problems.clear();
    KrNameChangedClear();
    bool ok = false;
    const QList<Record> records = ReadRecords(data, &ok);
    if (!ok)
        return {};
    return Instantiate(records, owner ? owner : this, true);
}

// ---------------------------------------------------------------- designer

void TKrHostDesigner::Modified(bool modified)
{
    m_modified = modified;
}

void TKrHostDesigner::AddUndo(QObject *symbol)
{
    TKrSymbol *s = KrSymbolOf(symbol);
    if (!s)
        return;
    TSymbolStream data;
    QStringList files;
    s->SaveToStream(data, files);
    m_undo.append({s->Name(), data.Data()});
    m_modified = true;
}

bool TKrHostDesigner::Undo()
{
    if (m_undo.isEmpty() || !m_page)
        return false;
    const Step step = m_undo.takeLast();
    TKrSymbol *s = KrSymbolOf(m_page->FindSymbol(step.name));
    if (!s)
        return false;
    TSymbolStream data(step.data);
    try {
        s->InitFromStream(data);
    } catch (const EKrStreamError &) {
        return false;
    }
    s->Validate();
    return true;
}

static void TreeOf(const TKrComponent *owner, int depth, QStringList &out)
{
    for (TKrChild *e : KrElementsOf(owner)) {
        if (!e->GetShowInTree())
            continue;
        out.append(QString(depth * 2, QLatin1Char(' ')) + e->Name());
        TreeOf(e, depth + 1, out);
    }
}

QStringList TKrHostDesigner::ElementTree(TKrSymbol *symbol)
{
    QStringList out;
    if (symbol)
        TreeOf(symbol, 0, out);
    return out;
}
