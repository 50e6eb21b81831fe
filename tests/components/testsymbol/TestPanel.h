#pragma once
// A container component used by the tests: stores, after its published
// properties, a list of names and an index in the component-filer encoding and
// then the data of its elements, the way work floors do.

#include "ChildElements.h"
#include "Krsymbols.h"

class TKRTestPanel : public TKrCustomDrawingControl {
    Q_OBJECT
    Q_PROPERTY(bool Movable READ Movable WRITE SetMovable)
    Q_PROPERTY(QStringList Names READ Names STORED false)
    Q_PROPERTY(int Index READ Index WRITE SetIndex STORED false)
    Q_PROPERTY(int LoadedIndex READ LoadedIndex STORED false)

public:
    explicit TKRTestPanel(TKrComponent *owner);

    void Paint() override;
    void SaveToStream(TSymbolStream &stream, QStringList &files) override;
    void InitFromStream(TSymbolStream &stream) override;

    bool Movable() const { return m_movable; }
    void SetMovable(bool m) { m_movable = m; }
    QStringList Names() const { return m_names; }
    Q_INVOKABLE void AddName(const QString &n) { m_names.append(n); }
    int Index() const { return m_index; }
    void SetIndex(int i) { m_index = i; }
    int LoadedIndex() const { return m_loadedIndex; }

private:
    TKRImage *m_image;
    TKRFrame *m_frame;
    bool m_movable = false;
    QStringList m_names;
    int m_index = -1;
    int m_loadedIndex = -1;
};
