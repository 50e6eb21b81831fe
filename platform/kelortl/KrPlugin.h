#pragma once
// The plug-in contract of a component library as the host resolves it:
//   SymbolCreate    (C linkage) constructs one new symbol with the given owner;
//   KeloRTLVersion  (C linkage, const unsigned int) the runtime contract version
//                   (KRTL_RUNTIME_VERSION) the library was built against. It is
//                   the only content of the library's section
//                   KR_RUNTIME_VERSION_SECTION, where the host reads it from the
//                   file before it loads the library, so a library built for
//                   another runtime is refused before any of its code runs.
// The file is named "{" + the component type's GUID + "}[02]" with the
// platform's shared-library suffix.

class TKrSymbol;
class TKrComponent;

// The name of the section holding KeloRTLVersion (four bytes in the byte order
// of the library's platform).
#define KR_RUNTIME_VERSION_SECTION ".kelortl_version"

extern "C" {
typedef TKrSymbol *(*TKrSymbolCreateProc)(TKrComponent *owner);
}
