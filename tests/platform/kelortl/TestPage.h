#pragma once
// A minimal drawing page for the runtime's own tests: offers what the symbols
// ask of the host (drawing item, symbol lookup, designer).

#include "Krsymbols.h"

class TestDesigner : public IKrDesigner {
public:
    void Modified(bool m) override { modified = m; }
    void RefreshElementTree() override { ++refreshes; }
    bool AskBeforeMultiMedia() override { return true; }
    void AddUndo(QObject *) override { ++undos; }
    bool modified = false;
    int refreshes = 0;
    int undos = 0;
};

class TestPage : public QWidget, public TKrComponent, public IKrDrawingItem, public IKrSymbolLookup, public IKrHostContext {
    Q_OBJECT
    Q_INTERFACES(TKrComponent)
public:
    TestPage() : TKrComponent(nullptr) { resize(640, 480); }
    ~TestPage() override { DestroyComponents(); }
    QObject *AsObject() override { return this; }
    bool GetInterface(const TGUID &iid, void **obj) override
    {
        KR_OFFER_INTERFACE(IKrDrawingItem)
        KR_OFFER_INTERFACE(IKrSymbolLookup)
        KR_OFFER_INTERFACE(IKrHostContext)
        return TKrComponent::GetInterface(iid, obj);
    }
    double GetScale() override { return 1.0; }
    bool GetShown() override { return open; }
    QObject *FindSymbol(const QString &name) override { return findChild<QWidget *>(name); }
    IKrDesigner *GetKrDesigner() override { return designer; }
    bool open = false;
    IKrDesigner *designer = nullptr;
};
