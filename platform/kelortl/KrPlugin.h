#pragma once
// The plug-in contract of a component library as the host resolves it:
//   SymbolCreate    (C linkage) constructs one new symbol with the given owner;
//   KeloRTLVersion  (C linkage, const unsigned int) the runtime contract version
//                   (KRTL_RUNTIME_VERSION) the library was built against.
// The file is named "{" + the component type's GUID + "}[02]" with the
// platform's shared-library suffix.

class TKrSymbol;
class TKrComponent;

extern "C" {
typedef TKrSymbol *(*TKrSymbolCreateProc)(TKrComponent *owner);
}
