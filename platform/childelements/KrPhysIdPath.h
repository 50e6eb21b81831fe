#pragma once
// TKrPhysIdPath: a partial PhysId. A work floor (or an opener) holds one; the
// variable links of the symbols inside that floor whose PhysId starts with "."
// are completed with the prefix it supplies, so one floor serves every device
// its openers name.
//
// The prefix a path supplies is the prefix of its reference symbol (the opener
// that shows the floor, through that symbol's own path element) or, without a
// reference, the prefix of the containers its symbol sits in; followed by the
// path's own text. Update recomputes it and, when it changed (or when forced),
// tells every symbol inside: first IKrPhysIdNotify::PhysIdChanging on their
// elements, then each variable link re-resolves its PhysId, then PhysIdChanged.

#include "ChildElementsGlobal.h"
#include "Krchild.h"
#include "KrInterfaces.h"

#include <QPointer>

class KRCE_EXPORT TKrPhysIdPath : public TKrChild, public IKrPhysIdUpdate {
    Q_OBJECT
    Q_PROPERTY(QString Path READ GetPath WRITE SetPath)

public:
    explicit TKrPhysIdPath(TKrComponent *owner);

    bool GetInterface(const TGUID &iid, void **obj) override;

    QString GetPath() const { return m_path; }
    // Sets the path's own text and updates the symbols inside.
    void SetPath(const QString &path);
    QObject *GetReference() const { return m_reference; }
    void SetReference(QObject *symbol);
    // The whole prefix this path supplies.
    QString GetPhysIdPath() const;
    // IKrPhysIdUpdate
    void Update(bool force) override;

    void InitSymbol() override;
    void Replace(TKrReplace &what) override;
    QList<TKrPropField> DetailsFields() const override;

private:
    QString m_path;
    QPointer<QObject> m_reference;
    QString m_last;
};

// The prefix a symbol supplies: that of its own path element, else that of the
// containers it sits in.
KRCE_EXPORT QString KrPhysIdPrefixOf(QObject *symbol);
// The prefix of the containers a symbol sits in (the nearest with a path element).
KRCE_EXPORT QString KrPhysIdPrefixAbove(QObject *symbol);
// A PhysId as a link uses it: a text starting with "." is completed with the
// prefix of the containers of the link's symbol; any other text is whole.
KRCE_EXPORT QString KrResolvePhysId(const QString &text, QObject *linkSymbol);
