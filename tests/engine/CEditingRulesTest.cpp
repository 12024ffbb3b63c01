#include "CEngineFixture.h"

#include "base/CStringTable.h"

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>

namespace
{
// A map's records by name, in name order.
template <typename TMap>
std::map<std::string, const typename TMap::mapped_type::element_type*> Sorted(const TMap& records)
{
    std::map<std::string, const typename TMap::mapped_type::element_type*> sorted;
    for (const auto& [strName, pRecord] : records)
        sorted.emplace(strName, pRecord.get());
    return sorted;
}

CTime Today(int nHour, int nMinute)
{
    return CTime(1998, 3, 2, nHour, nMinute, 0);
}

class CEditingRulesTest : public CEngineFixture
{
protected:
    CEditingRulesTest() { StartRecording(); }

    // Calls from here on, with the document unmodified so that marking it shows.
    void StartRecording()
    {
        m_doc.SetModifiedFlag(false);
        m_frontEnd.m_calls.clear();
    }

    // Everything an edit may change, in a fixed order, so that "unchanged" is one comparison.
    std::string Snapshot() const
    {
        std::ostringstream text;
        text << "ids " << m_doc.m_nRemoteIds << " modified " << m_doc.IsModified() << "\n";
        for (const auto& [strName, pRemote] : Sorted(*m_doc.m_pRemotes))
        {
            text << "remote " << strName << " " << pRemote->m_nMenuId << " pad "
                 << pRemote->m_bPadOpen << "\n";
            for (const auto& [strButton, pButton] : Sorted(pRemote->m_buttons))
                text << "  button " << strButton << " " << pButton->m_nColumn << ","
                     << pButton->m_nRow << " steps " << pButton->m_steps.size() << "\n";
            for (int nCell = 0; nCell < kGridCells; ++nCell)
                text << (pRemote->m_grid[nCell] ? pRemote->m_grid[nCell]->m_strName[0] : '.');
            text << "\n";
        }
        for (const auto& [strName, pEvent] : Sorted(*m_doc.m_pEvents))
            text << "event " << strName << " " << pEvent->m_time.GetTime() << " "
                 << pEvent->m_bDisabled << " " << pEvent->m_nFrequency << " " << pEvent->m_pButton
                 << "\n";
        text << "armed " << m_doc.m_pArmedEvent << " " << m_doc.m_armed.m_time.GetTime();
        return text.str();
    }

    // Runs an edit that must be refused with the one stop message given.
    void ExpectRefused(const std::function<bool()>& edit, int nStringId,
                       const std::string& strArgument)
    {
        const std::string strBefore = Snapshot();
        m_frontEnd.m_messages.clear();
        m_frontEnd.m_calls.clear();
        EXPECT_FALSE(edit());
        ASSERT_EQ(m_frontEnd.m_messages.size(), 1u);
        EXPECT_EQ(m_frontEnd.m_messages[0].nStringId, nStringId);
        EXPECT_EQ(m_frontEnd.m_messages[0].strArgument, strArgument);
        EXPECT_EQ(m_frontEnd.m_messages[0].nKind, EMessageBox::Stop);
        EXPECT_EQ(m_frontEnd.m_calls.size(), 1u) << "only the message box";
        EXPECT_EQ(Snapshot(), strBefore);
    }

    // Runs an edit that asks first; answered No it must change nothing.
    void ExpectDeclined(const std::function<bool()>& edit, int nStringId,
                        const std::string& strArgument)
    {
        const std::string strBefore = Snapshot();
        m_frontEnd.m_messages.clear();
        m_frontEnd.QueueAnswer(EAnswer::No);
        EXPECT_FALSE(edit());
        ASSERT_EQ(m_frontEnd.m_messages.size(), 1u);
        EXPECT_EQ(m_frontEnd.m_messages[0].nStringId, nStringId);
        EXPECT_EQ(m_frontEnd.m_messages[0].strArgument, strArgument);
        EXPECT_EQ(m_frontEnd.m_messages[0].nKind, EMessageBox::Question);
        EXPECT_EQ(Snapshot(), strBefore);
    }

    CRemote& m_one = MakeRemote("One");
    CRemote& m_two = MakeRemote("Two");
    CRemoteButton& m_power = MakePlain(m_one, "Power");
};

TEST_F(CEditingRulesTest, AddRemoteHandsOutMenuIdsThatAreNeverReused)
{
    EXPECT_EQ(m_one.m_nMenuId, 0x8400);
    EXPECT_EQ(m_two.m_nMenuId, 0x8401);
    m_frontEnd.QueueAnswer(EAnswer::Yes);
    ASSERT_TRUE(m_doc.DeleteRemote(m_two));
    StartRecording();
    CRemote* pThree = m_doc.AddRemote("Three", 7);
    ASSERT_NE(pThree, nullptr);
    EXPECT_EQ(pThree->m_nMenuId, 0x8402);
    EXPECT_EQ(pThree->m_nStyle, 7);
    EXPECT_EQ(pThree->m_nPadX, kNoPadPosition);
    EXPECT_EQ(m_frontEnd.m_calls,
              (std::vector<std::string>{"AddRemoteMenuEntry Three 33794", "OnModifiedChanged 1"}));
}

TEST_F(CEditingRulesTest, AddRemoteRefusesANameInUse)
{
    ExpectRefused([&] { return m_doc.AddRemote("One", 3) != nullptr; }, StringId::kRemoteNameInUse,
                  "One");
    // Letter case makes a different name.
    EXPECT_NE(m_doc.AddRemote("one", 3), nullptr);
}

TEST_F(CEditingRulesTest, DeleteRemoteRefusesWhileReferredTo)
{
    CTimedEvent& event = MakeEvent("Wake", Today(7, 0), kFrequencyDaily, m_power);
    event.m_bDisabled = true;
    ExpectRefused([&] { return m_doc.DeleteRemote(m_one); }, StringId::kRemoteUsedByEvent,
                  "One (used by Wake)");
    m_frontEnd.QueueAnswer(EAnswer::Yes);
    ASSERT_TRUE(m_doc.RemoveEvent(event));

    // Two plays Three's megabutton, which plays a button of One.
    CRemote& three = *m_doc.AddRemote("Three", 0);
    CRemoteButton& relay = MakeMega(three, "Relay", {{&m_power, 0}});
    MakeMega(m_two, "Macro", {{&relay, 0}});
    ExpectRefused([&] { return m_doc.DeleteRemote(m_one); }, StringId::kRemoteButtonsUsedByMega,
                  "One (used by Three: Relay)");
}

TEST_F(CEditingRulesTest, DeleteRemoteWalksMegabuttonsThatShareStepsOnlyOnce)
{
    // Each megabutton of Two plays the one below it twice: 2^48 ways down to Base, none of
    // them to a button of One. Walked way by way, the check would not end.
    CRemoteButton* pBelow = &MakePlain(m_two, "Base");
    for (int nLevel = 0; nLevel < 48; ++nLevel)
        pBelow = &MakeMega(m_two, "M" + std::to_string(nLevel), {{pBelow, 0}, {pBelow, 0}});
    m_frontEnd.QueueAnswer(EAnswer::Yes);
    EXPECT_TRUE(m_doc.DeleteRemote(m_one));
}

TEST_F(CEditingRulesTest, RefusesNamesStylesDatesAndReferencesAFileCouldNotHold)
{
    CTimedEvent& wake = MakeEvent("Wake", Today(7, 0), kFrequencyDaily, m_power);
    CTimedEvent lateDate = wake;
    lateDate.m_strName = "Late";
    lateDate.m_time = CTime(10000, 1, 1, 0, 0, 0);
    CRemoteButton outsider("Power", false);
    CTimedEvent elsewhere = wake;
    elsewhere.m_pButton = &outsider;
    const std::string strLong(16, 'x');
    const struct
    {
        std::function<bool()> edit;
        int nStringId;
        std::string strArgument;
    } cases[] = {
        {[&] { return m_doc.AddRemote(strLong, 0) != nullptr; }, StringId::kNameNotStorable,
         strLong},
        {[&] { return m_doc.AddRemote("", 0) != nullptr; }, StringId::kNameNotStorable, ""},
        {[&] { return m_doc.AddRemote("   ", 0) != nullptr; }, StringId::kNameNotStorable, "   "},
        {[&] { return m_doc.AddRemote("Four", 8) != nullptr; }, StringId::kStyleNotStorable,
         "Four"},
        {[&] { return m_doc.AddButton(m_one, "Mute", strLong + strLong, false) != nullptr; },
         StringId::kNameNotStorable, strLong + strLong},
        {[&] { return m_doc.AddEvent(lateDate) != nullptr; }, StringId::kDateNotStorable, "Late"},
        {[&] { return m_doc.UpdateEvent(wake, elsewhere); }, StringId::kRecordNotStorable, "Wake"},
    };
    StartRecording();
    for (const auto& test : cases)
        ExpectRefused(test.edit, test.nStringId, test.strArgument);
    // A name that fills its field is taken.
    EXPECT_NE(m_doc.AddRemote(std::string(15, 'r'), 7), nullptr);
}

TEST_F(CEditingRulesTest, DeleteRemoteTakesItsOwnMegabuttonsAlong)
{
    MakeMega(m_one, "Macro", {{&m_power, 0}});
    m_one.m_bPadOpen = true;
    ExpectDeclined([&] { return m_doc.DeleteRemote(m_one); }, StringId::kConfirmDeleteRemote,
                   "One");
    m_frontEnd.QueueAnswer(EAnswer::Yes);
    StartRecording();
    EXPECT_TRUE(m_doc.DeleteRemote(m_one));
    EXPECT_EQ(m_doc.FindRemote("One"), nullptr);
    EXPECT_EQ(m_frontEnd.m_calls,
              (std::vector<std::string>{"ShowMessage 61206 One", "RemoveRemoteMenuEntry One 33792",
                                        "ClosePad One", "OnModifiedChanged 1"}));
}

TEST_F(CEditingRulesTest, DeleteRemoteRefusesWhileItsMegabuttonFires)
{
    CRemoteButton& macro = MakeMega(m_one, "Macro", {{&m_power, 1}});
    macro.m_strDescription = "Movie night";
    bool bTried = false;
    m_frontEnd.m_onPump = [&]
    {
        if (!bTried)
        {
            bTried = true;
            ExpectRefused([&] { return m_doc.DeleteRemote(m_one); }, StringId::kButtonFiringRemove,
                          "Movie night");
        }
        AdvanceMs(100);
    };
    m_engine.Fire(macro);
    EXPECT_TRUE(bTried);
}

TEST_F(CEditingRulesTest, AddButtonClosesThePadAndKeepsNamesUnique)
{
    m_one.m_bPadOpen = true;
    CRemoteButton* pMute = m_doc.AddButton(m_one, "Mute", "Sound off", true);
    ASSERT_NE(pMute, nullptr);
    EXPECT_TRUE(pMute->m_bMega);
    EXPECT_EQ(pMute->m_strDescription, "Sound off");
    EXPECT_FALSE(pMute->IsPlaced());
    EXPECT_EQ(m_frontEnd.m_calls.front(), "ClosePad One");
    EXPECT_TRUE(m_doc.IsModified());

    const std::string strBefore = Snapshot();
    EXPECT_EQ(m_doc.AddButton(m_one, "Mute", "", false), nullptr);
    EXPECT_EQ(Snapshot(), strBefore);
}

TEST_F(CEditingRulesTest, RemoveButtonRefusesWhileUsedAndNamesItByItsDisplayText)
{
    CRemoteButton& mute = MakePlain(m_one, "Mute");
    mute.m_strDescription = "Sound off";
    MakeMega(m_two, "Macro", {{&mute, 0}});
    ExpectRefused([&] { return m_doc.RemoveButton(m_one, mute); }, StringId::kButtonInUse,
                  "Sound off (used by Two: Macro)");
    MakeEvent("Wake", Today(7, 0), kFrequencyDaily, m_power);
    MakeEvent("Movie", Today(20, 0), kFrequencyDaily, m_power);
    ExpectRefused([&] { return m_doc.RemoveButton(m_one, m_power); }, StringId::kButtonInUse,
                  "Power (used by Movie, Wake)");
    ++m_power.m_nFiring;
    ExpectRefused([&] { return m_doc.RemoveButton(m_one, m_power); }, StringId::kButtonFiringRemove,
                  "Power");
    --m_power.m_nFiring;
}

TEST_F(CEditingRulesTest, RemoveButtonEmptiesItsCell)
{
    CRemoteButton& mute = MakePlain(m_one, "Mute");
    // A fifth-column button held as column 3, row 17: the same cell as column 4, row 2.
    mute.m_nColumn = 3;
    mute.m_nRow = 17;
    m_one.m_grid[mute.GetCell()] = &mute;
    ASSERT_EQ(m_one.GetButtonAt(4, 2), &mute);
    ExpectDeclined([&] { return m_doc.RemoveButton(m_one, mute); }, StringId::kConfirmRemoveButton,
                   "Mute");
    m_frontEnd.QueueAnswer(EAnswer::Yes);
    EXPECT_TRUE(m_doc.RemoveButton(m_one, mute));
    EXPECT_EQ(m_one.GetButtonAt(4, 2), nullptr);
    EXPECT_EQ(m_one.FindButton("Mute"), nullptr);
    EXPECT_TRUE(m_doc.IsModified());
}

TEST_F(CEditingRulesTest, ButtonChangesAndTheMegabuttonEditorAreGuarded)
{
    EXPECT_TRUE(m_doc.CanChangeButton(m_power));
    EXPECT_TRUE(m_doc.CanEditMegabutton());
    ++m_power.m_nFiring;
    ExpectRefused([&] { return m_doc.CanChangeButton(m_power); }, StringId::kButtonFiringChange,
                  "Power");
    --m_power.m_nFiring;

    m_power.m_bMega = true; // now every button of the document is a megabutton
    ExpectRefused([&] { return m_doc.CanEditMegabutton(); }, StringId::kNoPlainButtons, "");
}

TEST_F(CEditingRulesTest, AddEventArmsItAtOnceWhenItIsDueNow)
{
    SetClock(CTime(1998, 3, 2, 7, 0, 30));
    MakeEvent("Later", Today(9, 0), kFrequencyDaily, m_power);
    StartRecording();
    CTimedEvent& wake = MakeEvent("Wake", Today(7, 0), kFrequencyOnce, m_power);
    EXPECT_EQ(wake.m_lastFired, CTime::NeverFired());
    EXPECT_EQ(m_doc.m_pArmedEvent, &wake);
    EXPECT_EQ(
        m_frontEnd.m_calls,
        (std::vector<std::string>{"AddEventRow Wake", "OnModifiedChanged 1", "RefreshEventRows"}));
    const std::string strBefore = Snapshot();
    CTimedEvent fields = wake;
    EXPECT_EQ(m_doc.AddEvent(fields), nullptr);
    EXPECT_EQ(Snapshot(), strBefore);
}

TEST_F(CEditingRulesTest, UpdateEventKeepsNameAndLastFired)
{
    SetClock(Today(8, 0));
    CTimedEvent& wake = MakeEvent("Wake", Today(9, 0), kFrequencyDaily, m_power);
    wake.m_lastFired = Today(10, 0);
    CRemoteButton& mute = MakePlain(m_two, "Mute");
    CTimedEvent fields;
    fields.m_strName = "Other";
    fields.m_time = Today(10, 0); // already fired today at 10:00: tomorrow's is next
    fields.m_nFrequency = kFrequencyDaily;
    fields.m_pRemote = &m_two;
    fields.m_pButton = &mute;
    fields.m_lastFired = Today(6, 0);
    ++wake.m_nFiring;
    ExpectRefused([&] { return m_doc.UpdateEvent(wake, fields); }, StringId::kEventFiringUpdate,
                  "Wake");
    --wake.m_nFiring;

    StartRecording();
    EXPECT_TRUE(m_doc.UpdateEvent(wake, fields));
    EXPECT_EQ(CountCalls("SortEvents"), 1) << "its row may belong elsewhere now";
    EXPECT_EQ(wake.m_strName, "Wake");
    EXPECT_EQ(wake.m_lastFired, Today(10, 0));
    EXPECT_EQ(wake.m_pButton, &mute);
    EXPECT_EQ(m_doc.m_armed.m_time, CTime(1998, 3, 3, 10, 0, 0));
    EXPECT_EQ(m_doc.m_armed.m_pButton, &mute);
}

TEST_F(CEditingRulesTest, RemoveEventAsksAndReArms)
{
    SetClock(Today(8, 0));
    CTimedEvent& first = MakeEvent("First", Today(9, 0), kFrequencyDaily, m_power);
    CTimedEvent& second = MakeEvent("Second", Today(10, 0), kFrequencyDaily, m_power);
    ++first.m_nFiring;
    ExpectRefused([&] { return m_doc.RemoveEvent(first); }, StringId::kEventFiringRemove, "First");
    --first.m_nFiring;
    ExpectDeclined([&] { return m_doc.RemoveEvent(first); }, StringId::kConfirmRemoveEvent,
                   "First");

    m_frontEnd.QueueAnswer(EAnswer::Yes);
    StartRecording();
    EXPECT_TRUE(m_doc.RemoveEvent(first));
    EXPECT_EQ(m_doc.FindEvent("First"), nullptr);
    EXPECT_EQ(m_doc.m_pArmedEvent, &second);
    EXPECT_EQ(m_frontEnd.m_calls,
              (std::vector<std::string>{"ShowMessage 61210 First", "RemoveEventRow First",
                                        "OnModifiedChanged 1", "RefreshEventRows"}));
}

TEST_F(CEditingRulesTest, RemovingTheArmedEventWhileHeldLeavesNoArmedPointer)
{
    SetClock(Today(8, 0));
    CTimedEvent& wake = MakeEvent("Wake", Today(9, 0), kFrequencyDaily, m_power);
    ASSERT_EQ(m_doc.m_pArmedEvent, &wake);
    m_scheduler.HoldForMenu();
    m_frontEnd.QueueAnswer(EAnswer::Yes);
    EXPECT_TRUE(m_doc.RemoveEvent(wake));
    EXPECT_EQ(m_doc.m_pArmedEvent, nullptr);
    EXPECT_TRUE(m_doc.m_armed.m_bDisabled);
    m_scheduler.ReleaseMenuHold();
}
} // namespace

// An action does not hold its button as a step or an event does: the button, or its remote,
// goes, and the action with it, so that no action fires a button that is no longer there.
TEST_F(CEditingRulesTest, RemovingTheButtonAnActionFiresClearsTheAction)
{
    struct SCase
    {
        const char* pszWhat;
        std::function<bool(CRemote& two, CRemoteButton& target, CRemoteButton& other)> remove;
        bool bKept;
    };
    const SCase cases[] = {
        {"the target",
         [this](CRemote& two, CRemoteButton& target, CRemoteButton&)
         { return m_doc.RemoveButton(two, target); },
         false},
        {"the target's remote",
         [this](CRemote& two, CRemoteButton&, CRemoteButton&) { return m_doc.DeleteRemote(two); },
         false},
        {"another button of its remote",
         [this](CRemote& two, CRemoteButton&, CRemoteButton& other)
         { return m_doc.RemoveButton(two, other); },
         true},
    };
    for (const SCase& test : cases)
    {
        CRemote& tv = MakeRemote("TV");
        CRemoteButton& target = MakePlain(tv, "Mute");
        CRemoteButton& other = MakePlain(tv, "Input");
        ASSERT_TRUE(m_doc.SetHeardAction(m_power, &tv, &target)) << test.pszWhat;
        m_frontEnd.QueueAnswer(EAnswer::Yes);
        ASSERT_TRUE(test.remove(tv, target, other)) << test.pszWhat;
        EXPECT_EQ(m_power.m_pActionButton != nullptr, test.bKept) << test.pszWhat;
        EXPECT_EQ(m_power.m_pActionRemote != nullptr, test.bKept) << test.pszWhat;
        m_frontEnd.QueueAnswer(EAnswer::Yes);
        if (CRemote* pTv = m_doc.FindRemote("TV"))
        {
            ASSERT_TRUE(m_doc.DeleteRemote(*pTv));
        }
    }
}

TEST_F(CEditingRulesTest, AnActionIsSetOnlyForAButtonOfTheDocument)
{
    CRemote stray("Stray", 0, 0);
    CRemoteButton strayButton("Gone", false);
    ExpectRefused([&] { return m_doc.SetHeardAction(m_power, &stray, &strayButton); },
                  StringId::kRecordNotStorable, "Power");
    EXPECT_EQ(m_power.m_pActionButton, nullptr);
    StartRecording();
    ASSERT_TRUE(m_doc.SetHeardAction(m_power, &m_one, &m_power));
    EXPECT_TRUE(m_doc.IsModified());
    StartRecording();
    ASSERT_TRUE(m_doc.SetHeardAction(m_power, nullptr, nullptr));
    EXPECT_EQ(m_power.m_pActionRemote, nullptr);
    EXPECT_TRUE(m_doc.IsModified());
}
