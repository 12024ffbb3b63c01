// The editing rules. Every operation makes all of its checks before its first change, so a
// refusal or a No leaves the document exactly as it was; afterwards it brings the View menu,
// the pads, the event list and the armed event in step.
#include "document/CQuorbexDoc.h"

#include "base/CStringTable.h"
#include "document/CFrontEnd.h"
#include "document/CQbFile.h"

#include <algorithm>
#include <vector>

namespace
{
bool Refuse(CFrontEnd& frontEnd, int nStringId, const std::string& strArgument)
{
    frontEnd.ShowMessage(nStringId, strArgument, EMessageBox::Stop);
    return false;
}

bool Confirm(CFrontEnd& frontEnd, int nStringId, const std::string& strArgument)
{
    return frontEnd.ShowMessage(nStringId, strArgument, EMessageBox::Question) == EAnswer::Yes;
}

// The events that fire the remote (or, with pButton, that button), by name.
std::vector<std::string> FindUsingEvents(const CEventMap& events, const CRemote* pRemote,
                                         const CRemoteButton* pButton)
{
    std::vector<std::string> users;
    for (const auto& [strName, pEvent] : events)
    {
        if ((pRemote && pEvent->m_pRemote == pRemote) || (pButton && pEvent->m_pButton == pButton))
            users.push_back(strName);
    }
    return users;
}

// The megabuttons with a step that plays a button bIsUsed picks, as "Remote: Megabutton",
// leaving out those of the remote pSkipped. A megabutton that reaches such a button only through
// other megabuttons needs no naming: the last of that chain is named.
template <typename TIsUsed>
void AddUsingMegabuttons(const CRemoteMap& remotes, const CRemote* pSkipped, TIsUsed bIsUsed,
                         std::vector<std::string>& users)
{
    for (const auto& [strRemote, pRemote] : remotes)
    {
        if (pRemote.get() == pSkipped)
            continue;
        for (const auto& [strButton, pMega] : pRemote->m_buttons)
        {
            if (std::any_of(pMega->m_steps.begin(), pMega->m_steps.end(),
                            [&](const CMegaStep& step) { return bIsUsed(*step.m_pButton); }))
                users.push_back(strRemote + ": " + pMega->GetDisplayText());
        }
    }
}

// A button that goes takes the actions that fire it along: hearing their buttons does nothing
// from then on, rather than fire a button that is no longer there.
template <typename TIsGoing> void ClearActionsOn(const CRemoteMap& remotes, TIsGoing bIsGoing)
{
    for (const auto& [strRemote, pRemote] : remotes)
        for (const auto& [strButton, pButton] : pRemote->m_buttons)
            if (pButton->m_pActionButton != nullptr && bIsGoing(*pButton->m_pActionButton))
            {
                pButton->m_pActionRemote = nullptr;
                pButton->m_pActionButton = nullptr;
            }
}

// The name that a refusal to delete starts with, and what holds on to the record.
std::string NameWithUsers(const std::string& strName, const std::vector<std::string>& users)
{
    std::string strText = strName + " (" + LoadString(StringId::kUsedBy);
    for (std::size_t n = 0; n < users.size(); ++n)
        strText += (n == 0 ? " " : ", ") + users[n];
    return strText + ")";
}

// A new record needs a name the file can hold; one of only spaces would show as nothing in
// menus and lists as well.
bool IsUsableName(const std::string& strName, std::size_t nMaxLength)
{
    return strName.find_first_not_of(' ') != std::string::npos &&
           IsStorableName(strName, nMaxLength);
}

// A megabutton of the remote fired from its pad counts its own buttons only; deleting the
// remote in the middle of that firing would pull the steps out from under it.
const CRemoteButton* FindFiringButton(const CRemote& remote)
{
    for (const auto& [strName, pButton] : remote.m_buttons)
    {
        if (pButton->IsFiring())
            return pButton.get();
    }
    return nullptr;
}

void CopyEventFields(CTimedEvent& event, const CTimedEvent& fields)
{
    event.m_time = fields.m_time;
    event.m_bDisabled = fields.m_bDisabled;
    event.m_nFrequency = fields.m_nFrequency;
    event.m_pRemote = fields.m_pRemote;
    event.m_pButton = fields.m_pButton;
}
} // namespace

CRemote* CQuorbexDoc::AddRemote(const std::string& strName, int nStyle)
{
    // Whatever the document holds must be saved as it is and open again.
    if (!IsUsableName(strName, kMaxRemoteName))
    {
        Refuse(m_frontEnd, StringId::kNameNotStorable, strName);
        return nullptr;
    }
    if (!IsStorableStyle(nStyle))
    {
        Refuse(m_frontEnd, StringId::kStyleNotStorable, strName);
        return nullptr;
    }
    // A second remote under the same name would replace the first in the map while its menu
    // entry and its buttons' references stayed behind.
    if (FindRemote(strName))
    {
        Refuse(m_frontEnd, StringId::kRemoteNameInUse, strName);
        return nullptr;
    }
    const int nMenuId = kFirstRemoteMenuId + static_cast<int>(m_nRemoteIds++);
    auto pRemote = std::make_unique<CRemote>(strName, nStyle, nMenuId);
    CRemote& remote = *pRemote;
    (*m_pRemotes)[strName] = std::move(pRemote);
    m_frontEnd.AddRemoteMenuEntry(remote);
    SetModifiedFlag();
    return &remote;
}

bool CQuorbexDoc::DeleteRemote(CRemote& remote)
{
    const std::vector<std::string> events = FindUsingEvents(*m_pEvents, &remote, nullptr);
    if (!events.empty())
        return Refuse(m_frontEnd, StringId::kRemoteUsedByEvent,
                      NameWithUsers(remote.m_strName, events));
    // A megabutton of another remote that plays one of its buttons, however deeply nested,
    // has a last link from outside into the remote; its own megabuttons go with it.
    std::vector<std::string> megabuttons;
    AddUsingMegabuttons(
        *m_pRemotes, &remote,
        [&remote](const CRemoteButton& step) { return remote.FindButton(step.m_strName) == &step; },
        megabuttons);
    if (!megabuttons.empty())
        return Refuse(m_frontEnd, StringId::kRemoteButtonsUsedByMega,
                      NameWithUsers(remote.m_strName, megabuttons));
    if (const CRemoteButton* pFiring = FindFiringButton(remote))
        return Refuse(m_frontEnd, StringId::kButtonFiringRemove, pFiring->GetDisplayText());
    if (!Confirm(m_frontEnd, StringId::kConfirmDeleteRemote, remote.m_strName))
        return false;

    ClearActionsOn(*m_pRemotes, [&remote](const CRemoteButton& target)
                   { return remote.FindButton(target.m_strName) == &target; });
    m_frontEnd.RemoveRemoteMenuEntry(remote);
    if (remote.m_bPadOpen)
        m_frontEnd.ClosePad(remote);
    m_pRemotes->erase(m_pRemotes->find(remote.m_strName));
    SetModifiedFlag();
    return true;
}

CRemoteButton* CQuorbexDoc::AddButton(CRemote& remote, const std::string& strName,
                                      const std::string& strDescription, bool bMega)
{
    if (!IsUsableName(strName, kMaxRemoteName))
    {
        Refuse(m_frontEnd, StringId::kNameNotStorable, strName);
        return nullptr;
    }
    if (!IsStorableText(strDescription, kMaxEventName))
    {
        Refuse(m_frontEnd, StringId::kNameNotStorable, strDescription);
        return nullptr;
    }
    // The Remote Builder offers Add only for a new name; replacing a button would leave events,
    // steps and grid cells pointing at a deleted one.
    if (remote.FindButton(strName))
        return nullptr;
    if (remote.m_bPadOpen)
        m_frontEnd.ClosePad(remote);
    auto pButton = std::make_unique<CRemoteButton>(strName, bMega);
    pButton->m_strDescription = strDescription;
    CRemoteButton& button = remote.AddButton(std::move(pButton));
    SetModifiedFlag();
    return &button;
}

bool CQuorbexDoc::RemoveButton(CRemote& remote, CRemoteButton& button)
{
    const std::string& strText = button.GetDisplayText();
    if (button.IsFiring())
        return Refuse(m_frontEnd, StringId::kButtonFiringRemove, strText);
    std::vector<std::string> users = FindUsingEvents(*m_pEvents, nullptr, &button);
    AddUsingMegabuttons(
        *m_pRemotes, nullptr, [&button](const CRemoteButton& step) { return &step == &button; },
        users);
    if (!users.empty())
        return Refuse(m_frontEnd, StringId::kButtonInUse, NameWithUsers(strText, users));
    if (!Confirm(m_frontEnd, StringId::kConfirmRemoveButton, strText))
        return false;

    if (remote.m_bPadOpen)
        m_frontEnd.ClosePad(remote);
    if (button.IsPlaced() && remote.m_grid[button.GetCell()] == &button)
        remote.m_grid[button.GetCell()] = nullptr;
    ClearActionsOn(*m_pRemotes,
                   [&button](const CRemoteButton& target) { return &target == &button; });
    remote.m_buttons.erase(remote.m_buttons.find(button.m_strName));
    SetModifiedFlag();
    return true;
}

bool CQuorbexDoc::SetHeardAction(CRemoteButton& button, CRemote* pRemote, CRemoteButton* pTarget)
{
    if (pTarget != nullptr && !IsButtonInRemotes(*m_pRemotes, pRemote, pTarget))
        return Refuse(m_frontEnd, StringId::kRecordNotStorable, button.GetDisplayText());
    if (button.m_pActionButton == pTarget)
        return true;
    button.m_pActionRemote = pTarget != nullptr ? pRemote : nullptr;
    button.m_pActionButton = pTarget;
    SetModifiedFlag();
    return true;
}

bool CQuorbexDoc::CanChangeButton(const CRemoteButton& button)
{
    if (button.IsFiring())
        return Refuse(m_frontEnd, StringId::kButtonFiringChange, button.GetDisplayText());
    return true;
}

bool CQuorbexDoc::CanEditMegabutton()
{
    if (!HasPlainButton())
        return Refuse(m_frontEnd, StringId::kNoPlainButtons, std::string());
    return true;
}

bool CQuorbexDoc::CanStoreEventFields(const std::string& strName, const CTimedEvent& fields)
{
    if (!IsStorableTime(fields.m_time))
        return Refuse(m_frontEnd, StringId::kDateNotStorable, strName);
    if (fields.m_nFrequency < 0 || fields.m_nFrequency >= kFrequencyCount ||
        !IsButtonInRemotes(*m_pRemotes, fields.m_pRemote, fields.m_pButton))
        return Refuse(m_frontEnd, StringId::kRecordNotStorable, strName);
    return true;
}

CTimedEvent* CQuorbexDoc::AddEvent(const CTimedEvent& fields)
{
    if (!IsUsableName(fields.m_strName, kMaxEventName))
    {
        Refuse(m_frontEnd, StringId::kNameNotStorable, fields.m_strName);
        return nullptr;
    }
    if (!CanStoreEventFields(fields.m_strName, fields))
        return nullptr;
    // The Event Programmer offers Add only for a new name; replacing an event could delete the
    // armed or a firing one.
    if (FindEvent(fields.m_strName))
        return nullptr;
    auto pEvent = std::make_unique<CTimedEvent>();
    CTimedEvent& event = *pEvent;
    event.m_strName = fields.m_strName;
    CopyEventFields(event, fields);
    (*m_pEvents)[event.m_strName] = std::move(pEvent);
    m_frontEnd.AddEventRow(event);
    SetModifiedFlag();
    ArmNextEvent();
    return &event;
}

bool CQuorbexDoc::UpdateEvent(CTimedEvent& event, const CTimedEvent& fields)
{
    if (event.IsFiring())
        return Refuse(m_frontEnd, StringId::kEventFiringUpdate, event.m_strName);
    if (!CanStoreEventFields(event.m_strName, fields))
        return false;
    CopyEventFields(event, fields);
    // A new time, frequency or button may move the event's row.
    m_frontEnd.SortEvents();
    SetModifiedFlag();
    ArmNextEvent();
    return true;
}

bool CQuorbexDoc::RemoveEvent(CTimedEvent& event)
{
    if (event.IsFiring())
        return Refuse(m_frontEnd, StringId::kEventFiringRemove, event.m_strName);
    if (!Confirm(m_frontEnd, StringId::kConfirmRemoveEvent, event.m_strName))
        return false;

    DeleteEvent(event);
    SetModifiedFlag();
    ArmNextEvent();
    return true;
}

void CQuorbexDoc::DeleteEvent(CTimedEvent& event)
{
    // The armed slot is a reference too; it must not outlive the event even while the
    // scheduler is held and no re-arming follows.
    if (m_pArmedEvent == &event)
    {
        m_armed.m_bDisabled = true;
        m_pArmedEvent = nullptr;
    }
    m_frontEnd.RemoveEventRow(event);
    // Erase by position: the name is a key held inside the record being destroyed.
    m_pEvents->erase(m_pEvents->find(event.m_strName));
    // A fired one-time event goes without marking the document modified.
    NoteChange();
}
