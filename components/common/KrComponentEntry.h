#pragma once
// The plug-in entry of a component library. A component's source names its
// symbol class once:
//
//     KR_SYMBOL_CLASS(TKRWorkFloor)
//
// and the library exports SymbolCreate (C linkage), which constructs one new
// symbol of that class with the given owner for each call; the owner (the host)
// frees it. The library also exports KeloRTLVersion, the runtime contract it was
// built against, which the host compares with the loaded runtime's.

#include "KrPlugin.h"
#include "Krsymbols.h"

// Constructs the library's symbol (defined by KR_SYMBOL_CLASS).
TKrSymbol *KrComponentCreateSymbol(TKrComponent *owner);

#define KR_SYMBOL_CLASS(ClassName)                                   \
    TKrSymbol *KrComponentCreateSymbol(TKrComponent *owner)          \
    {                                                                \
        return new ClassName(owner);                                 \
    }
