#pragma once

#include <functional>
#include <string>

class CQuorbexDoc;
class CTimedEvent;

// When each event of a document last fired, kept apart from the document: a firing must not
// change the file a person edits behind their back (nor make the window program ask to save
// it), yet a Quorbit started again must not fire the same occurrence twice. One file in the
// user's state folder ($XDG_STATE_HOME/quorbit, else ~/.local/state/quorbit) holds, for each
// document by its canonical path, the last occurrence of each of its events that fired.
//
// Several Quorbits may share the file (a runner per document), so each read-change-write holds
// a lock on the folder. The folder is the user's alone (0700) and the file is opened without
// following links, so that no one can make a firing write somewhere else. A file that cannot
// be read as the store (damaged, too large, not a regular file of the user's) is kept aside
// under another name, and the notice observer is told where.
class CLastFiredStore
{
public:
    // The file in the user's state folder; empty when there is no home to find it in.
    static std::string GetDefaultFile();

    explicit CLastFiredStore(std::string strFile = GetDefaultFile());

    // Told, in a sentence, what happened to a store file that could not be read.
    void SetNoticeObserver(std::function<void(const std::string&)> onNotice)
    {
        m_onNotice = std::move(onNotice);
    }

    // Moves on the last-fired time of each event of doc that fired later than the document says.
    void Apply(const std::string& strDocument, CQuorbexDoc& doc) const;
    // Remembers that event of the document at strDocument fired at its last-fired time. False,
    // with the reason, when the file could not be written.
    bool Remember(const std::string& strDocument, const CTimedEvent& event,
                  std::string& strError) const;

private:
    std::string m_strFile;
    std::function<void(const std::string&)> m_onNotice;
};
