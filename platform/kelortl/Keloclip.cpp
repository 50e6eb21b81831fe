#include "Keloclip.h"

TKeloClipboard KeloClip;

std::unique_ptr<TClipReferance> TKeloClipboard::GetClipReferance() const
{
    if (!m_ref)
        return nullptr;
    return std::make_unique<TClipReferance>(*m_ref);
}
