#pragma once

#include <string>

class CQuorbexDoc;
class CTimedEvent;

// When each event of a document last fired, kept apart from the document: a firing must not
// change the file a person edits behind their back (nor make the window program ask to save
// it), yet a Quorbit started again must not fire the same occurrence twice. One file in the
// user's state folder ($XDG_STATE_HOME/quorbit, else ~/.local/state/quorbit) holds, for each
// document by its absolute path, the last occurrence of each of its events that fired.
class CLastFiredStore
{
public:
    // The file in the user's state folder; empty when there is no home to find it in.
    static std::string GetDefaultFile();

    explicit CLastFiredStore(std::string strFile = GetDefaultFile());

    // Moves on the last-fired time of each event of doc that fired later than the document says.
    void Apply(const std::string& strDocument, CQuorbexDoc& doc) const;
    // Remembers that event of the document at strDocument fired at its last-fired time. False,
    // with the reason, when the file could not be written.
    bool Remember(const std::string& strDocument, const CTimedEvent& event,
                  std::string& strError) const;

private:
    std::string m_strFile;
};
