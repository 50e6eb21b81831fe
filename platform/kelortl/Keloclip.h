#pragma once
// Unit Keloclip: the designer's reference clipboard. "Copy Ref." puts one symbol
// reference on it, "Paste Ref." takes it.

#include "KrGlobal.h"

#include <QString>
#include <memory>

class KRTL_EXPORT TClipReferance {
public:
    TClipReferance() = default;
    explicit TClipReferance(const QString &name) : m_name(name) {}
    QString Name() const { return m_name; }
    void SetName(const QString &name) { m_name = name; }

private:
    QString m_name;
};

class KRTL_EXPORT TKeloClipboard {
public:
    bool HasReferance() const { return m_ref != nullptr; }
    // A copy of the reference held (the caller owns it), or nullptr.
    std::unique_ptr<TClipReferance> GetClipReferance() const;
    // Takes ownership of ref and holds it in place of any earlier reference.
    void SetClipReferance(TClipReferance *ref) { m_ref.reset(ref); }
    void Clear() { m_ref.reset(); }

private:
    std::unique_ptr<TClipReferance> m_ref;
};

extern KRTL_EXPORT TKeloClipboard KeloClip;
