#pragma once
// What a symbol linked to a process variable shows of its link's errors: the last
// error code, whether it is fatal, and whether the symbol shows it now.

#include "KrKelo.h"

struct KrLinkErrorState {
    qint32 code = 0;
    bool fatal = false;
    bool shown = false;

    // The link reported a failed access: show its error.
    void Take(const TKrKeloTimer &link)
    {
        code = link.GetErrorCode();
        fatal = link.IsErrorCodeFatal(code);
        shown = true;
    }

    // A value is about to be taken from the link: an error comes only with it.
    void StartRead()
    {
        code = 0;
        fatal = false;
    }

    // After the value was taken without error: whether an error was shown until now
    // (the symbol then shows its value again).
    bool Cleared()
    {
        if (code != 0 || !shown)
            return false;
        shown = false;
        return true;
    }

    // The PhysId changed: the link polls while there is one to poll, and the error
    // shows again only when the link still has one after the change.
    void Follow(TKrKeloTimer &link, bool hasPhysId)
    {
        shown = false;
        link.SetEnable(hasPhysId);
        shown = link.GetErrorCode() != 0;
    }
};
