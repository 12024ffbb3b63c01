#pragma once

#include "document/CRemote.h"
#include "document/CTimedEvent.h"
#include "document/FileStamp.h"

#include <cstdint>
#include <memory>
#include <string>

class CTimeSource;
class CFrontEnd;
struct SQbContent;

// Why a file was not opened: a string id and the argument its "%s" takes.
struct SOpenRefusal
{
    int nStringId = 0;
    std::string strArgument;
};

// How the system clock is refreshed; the numbers are the values kept in the settings.
enum class EClockRefreshMethod : int
{
    None = 0,
    FromBios = 1,
};

// The day of a clock refresh: every day, or one weekday; the numbers are the values kept in the
// settings.
enum class EClockRefreshDay : int
{
    Daily = 0,
    Sunday = 1,
    Saturday = 7,
};

// The clock-refresh settings the document's schedule is built from.
struct SClockSettings
{
    EClockRefreshMethod nMethod = EClockRefreshMethod::FromBios;
    EClockRefreshDay nDay = EClockRefreshDay::Sunday;
    int nHour = 0;
    int nMinute = 5;
};

// The one document: every remote, button, megabutton and event the user builds, and the
// run-time scheduling state (clock-refresh schedule, armed slot, Event Programmer flag).
class CQuorbexDoc
{
public:
    CQuorbexDoc(CFrontEnd& frontEnd, CTimeSource& clock, const SClockSettings& clockSettings);
    ~CQuorbexDoc();
    CQuorbexDoc(const CQuorbexDoc&) = delete;
    CQuorbexDoc& operator=(const CQuorbexDoc&) = delete;

    // Life cycle.
    bool OnNewDocument();
    void DeleteContents();
    // Replaces the content with the file's; a refused file leaves it as it was.
    bool OnOpenDocument(const std::string& strPath);
    // The two halves of an open, for a caller that asks about unsaved changes in between:
    // reads and checks the file without touching the content (false with the refusal), then
    // replaces the content with what was read.
    static bool ReadDocumentFile(const std::string& strPath, SQbContent& content,
                                 SOpenRefusal& refusal);
    void TakeDocumentContent(SQbContent& content);
    // Saves as strPath. When strPath is the file the content was read from or last saved as,
    // refused with a message if another program changed that file since, unless bOverwrite.
    bool OnSaveDocument(const std::string& strPath, bool bOverwrite = false);
    // Whether another program changed strPath since the content was read from it or saved as
    // it; false for a path the content never came from.
    bool HasChangedOnDisk(const std::string& strPath) const;
    bool IsModified() const { return m_bModified; }
    // Moves on with every change of the content: an edit, a new or opened document, a fired
    // one-time event deleted. Whoever shows the content compares it with the count it last
    // showed, instead of rebuilding everything to find out.
    std::uint64_t GetChangeCount() const { return m_nChanges; }
    void SetModifiedFlag(bool bModified = true);

    // Lookups.
    CRemote* FindRemote(const std::string& strName) const;
    CRemote* FindRemoteByMenuId(int nMenuId) const;
    bool IsRemoteCommand(int nId) const;
    CTimedEvent* FindEvent(const std::string& strName) const;
    // True when some remote holds a plain button.
    bool HasPlainButton() const;

    // Schedule rules.
    CTime NextOccurrence(const CTimedEvent& event, const CTime& now) const;
    // The event's last occurrence before the given time; NeverFired when it has none.
    CTime PreviousOccurrence(const CTimedEvent& event, const CTime& before) const;
    // Arms the first occurrence due from GetEarliestDue on; nothing while the armed slot is held.
    void ArmNextEvent();
    // Arms the first occurrence at or after from, even while the armed slot is held: the
    // scheduler's firing section moves on to the next event due with it.
    void ArmNextEventFrom(const CTime& from);
    // Occurrences that could not fire in their minute may still fire this many minutes late;
    // 0, the default, fires nothing late. Kept for the run, not in the file.
    void SetLateMinutes(int nMinutes) { m_nLateMinutes = nMinutes; }
    // The earliest minute whose occurrences may still fire: now, less the minutes late allowed.
    CTime GetEarliestDue() const;
    void SetupClockRefresh();
    // The BIOS time with its seconds set to 0.
    CTime GetCurrentMinute() const;

    // Editing rules. Each runs its checks in order, refuses or asks through the front end, and
    // changes nothing unless every check passes; then it brings the View menu, the pads, the
    // event list and the armed event in step and marks the document modified. Names, styles,
    // dates and references a file could not hold as they are are refused with a message, so
    // that every document can be saved and opened again.
    CRemote* AddRemote(const std::string& strName, int nStyle); // null when refused
    bool DeleteRemote(CRemote& remote);
    // Null when refused; without a message when the remote already has a button of that name.
    CRemoteButton* AddButton(CRemote& remote, const std::string& strName,
                             const std::string& strDescription, bool bMega);
    // Removing a button, or its remote, also clears every action that fires it.
    bool RemoveButton(CRemote& remote, CRemoteButton& button);
    // What hearing button does from now on: fire pTarget of pRemote, or nothing when pTarget is
    // null. Refused for a button the document does not hold.
    bool SetHeardAction(CRemoteButton& button, CRemote* pRemote, CRemoteButton* pTarget);
    // The check every change of a button makes first (refuses while it fires).
    bool CanChangeButton(const CRemoteButton& button);
    // The megabutton editor needs at least one plain button in the document.
    bool CanEditMegabutton();
    // Takes name, time, disabled flag, frequency, remote and button from fields. Null when
    // refused; without a message when an event of that name exists.
    CTimedEvent* AddEvent(const CTimedEvent& fields);
    bool UpdateEvent(CTimedEvent& event, const CTimedEvent& fields);
    bool RemoveEvent(CTimedEvent& event);
    // Takes the event out of the list, the armed slot and the document, without asking; for a
    // one-time event that has fired, and for RemoveEvent once it may go ahead.
    void DeleteEvent(CTimedEvent& event);

    CFrontEnd& GetFrontEnd() const { return m_frontEnd; }
    CTimeSource& GetClock() const { return m_clock; }

    std::unique_ptr<CRemoteMap> m_pRemotes;
    std::unique_ptr<CEventMap> m_pEvents;
    unsigned m_nRemoteIds = 0;
    CTimedEvent m_clockRefresh;
    CTimedEvent m_armed;
    CTimedEvent* m_pArmedEvent = nullptr;
    bool m_bEventsDialogOpen = false;
    int m_nFileVersion = 512; // version of the last file loaded; a new document is current
    SClockSettings m_clockSettings;

private:
    // Moves the change count on and tells the front end.
    void NoteChange();
    // Refuses, naming the event strName, fields a file could not hold.
    bool CanStoreEventFields(const std::string& strName, const CTimedEvent& fields);

    CFrontEnd& m_frontEnd;
    CTimeSource& m_clock;
    bool m_bModified = false;
    std::uint64_t m_nChanges = 0;
    int m_nLateMinutes = 0;
    // The file the content was read from or last saved as, and its stamp then.
    std::string m_strDiskFile;
    SFileStamp m_diskStamp;
};
