#pragma once
// TKrChild: the base of every child element of a symbol (frames, images, texts,
// variable links, ...). An element is owned by its symbol (or by another element,
// as the frame of an action collection is) and freed with it. Its label is its
// name in the designer's element tree.
//
// Stored settings are the element's Q_PROPERTYs declared with STORED true in the
// element classes; the base writes them, and the elements the element owns, as
// one object block (see Symbolstream.h) and reads them back by name, so an
// element of a later version that gained or lost settings still loads.

#include "KrComponent.h"
#include "KrTypes.h"
#include "Symbolstream.h"

#include <QObject>
#include <QPointer>

#include <QWidget>
class TKrSymbol;
struct TKrPropField;

// A search-and-replace over the texts of a symbol and its elements (PhysIds,
// file names, references).
struct KRTL_EXPORT TKrReplace {
    QString find;
    QString replaceWith;
    Qt::CaseSensitivity cs = Qt::CaseInsensitive;
    int count = 0; // replacements made

    // Replaces in text; returns true (and counts) when something changed.
    bool Apply(QString &text);
};

class KRTL_EXPORT TKrChild : public QObject, public TKrComponent {
    Q_OBJECT
    Q_INTERFACES(TKrComponent)

public:
    explicit TKrChild(TKrComponent *owner);
    ~TKrChild() override;

    QObject *AsObject() override { return this; }

    // The label in the element tree.
    void SetName(const QString &label) override;
    virtual void InitFromStream(TSymbolStream &stream);
    virtual void SaveToStream(TSymbolStream &stream);
    // Shows the element's property page in parent (created once, until HideDetails).
    virtual void ShowDetails(QWidget *parent);
    virtual void HideDetails();
    // A setting changed: tells the owner so that the symbol repaints.
    virtual void Validate();
    // After the symbol was loaded or pasted, before use.
    virtual void InitSymbol();
    virtual void SetShowInTree(bool show);
    // Further operations the symbols forward to their elements.
    virtual void Replace(TKrReplace &what);
    virtual void VisibleChanged(QObject *sender);
    // Names of files the element refers to (pictures, clips).
    virtual void CollectFiles(QStringList &files);

    bool GetShowInTree() const { return m_showInTree; }
    // The symbol this element belongs to (through owning elements), or nullptr.
    TKrSymbol *Symbol() const;
    // The widget the element draws on and places editors in (its symbol).
    QWidget *OwnerWidget() const;
    QList<TKrChild *> Elements() const;
    TKrChild *FindElement(const QString &label) const;
    QWidget *DetailsPage() const { return m_details; }

    // The settings saved for this element, in declaration order.
    QList<krstream::Property> StoredProperties() const;
    // Applies loaded settings by name; values of another type are converted when
    // that loses nothing, else ignored. Returns the number applied.
    int ApplyProperties(const QList<krstream::Property> &props);

    // Fields of the property page (default: every stored setting).
    virtual QList<TKrPropField> DetailsFields() const;

protected:
    // Builds the property page; the default lists DetailsFields().
    virtual QWidget *CreateDetailsPage(QWidget *parent);
    // Records an undo step with the designer after an edit in the property page.
    void AfterDetailsEdit();

private:
    bool m_showInTree = true;
    QPointer<QWidget> m_details;
};

// Writes the stored settings and the elements of an object (symbol or element).
// elementOwner: whose elements are written (nullptr: none).
KRTL_EXPORT void KrWriteObject(TKeloStream &s, QObject *object, int firstProperty, TKrComponent *elementOwner);
// Reads one object block and applies it: settings by name, element data to the
// elements of the same label and class (in order for repeated labels).
// The target of each element's data is looked up when that data is applied,
// among the elements the owner has then (a setting, or another element's data
// through a change handler, may create elements). Element data that is corrupt
// leaves that element as it was; corrupt framing of the object itself raises
// EKrStreamError before anything is applied.
KRTL_EXPORT void KrReadObject(TKeloStream &s, QObject *object, int firstProperty, TKrComponent *elementOwner);
// Reads the data of one element from a container's stream: the element's block
// (what its SaveToStream wrote) is taken whole, the element reads it on its own,
// and the stream is left just past the block whatever the element made of it.
// Returns false when the element could not use its data (it keeps what it had).
// Only a block whose length does not fit raises EKrStreamError, since nothing
// after it can be found then. element may be nullptr: the block is
// passed over.
KRTL_EXPORT bool KrReadElement(TKeloStream &s, TKrChild *element);
// The elements a component owns, in creation order.
KRTL_EXPORT QList<TKrChild *> KrElementsOf(const TKrComponent *owner);
// Stored Q_PROPERTYs of object from index firstProperty on.
KRTL_EXPORT QList<krstream::Property> KrStoredProperties(const QObject *object, int firstProperty);
KRTL_EXPORT int KrApplyProperties(QObject *object, int firstProperty, const QList<krstream::Property> &props);
