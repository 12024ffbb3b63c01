#include "cli/DocumentCommands.h"

#include "cli/CLoadedDocument.h"
#include "cli/DocumentListing.h"
#include "device/CSimulatedRemote.h"

#include <cstdio>

int ListDocument(const std::string& strPath, bool bJson, CClockBackend& clockBackend)
{
    CLoadedDocument loaded(clockBackend);
    if (!loaded.GetDocument().OnOpenDocument(strPath))
        return 1;
    // A listing leaves the unit alone, so it reads signals at the nominal microsecond a sample
    // of the simulated unit; the decoder allows for a machine somewhat slower or faster.
    constexpr double kNanos = CSimulatedRemote::kNanosPerSample;
    // An empty piece may have no storage at all, and fwrite takes no null pointer.
    const auto write = [](std::string_view text)
    {
        if (!text.empty())
            std::fwrite(text.data(), 1, text.size(), stdout);
    };
    if (bJson)
        WriteDocumentJson(loaded.GetDocument(), kNanos, write);
    else
        write(FormatDocumentText(loaded.GetDocument(), kNanos));
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

int ConvertDocument(const std::string& strInPath, const std::string& strOutPath,
                    CClockBackend& clockBackend)
{
    CLoadedDocument loaded(clockBackend);
    CQuorbexDoc& doc = loaded.GetDocument();
    // A file converted onto another is that one's read-change-save.
    return loaded.LockForChange(strOutPath) && doc.OnOpenDocument(strInPath) &&
                   doc.OnSaveDocument(strOutPath)
               ? 0
               : 1;
}
