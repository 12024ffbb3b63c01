#include "cli/KitchenDocument.h"

#include "cli/CLoadedDocument.h"
#include "device/COsClock.h"
#include "device/CSimulatedRemote.h"
#include "signal/SignalDurations.h"

#include <gtest/gtest.h>

void WriteKitchenDocument(const std::string& strPath)
{
    COsClock osClock;
    CLoadedDocument loaded(osClock);
    CQuorbexDoc& doc = loaded.GetDocument();
    doc.OnNewDocument();
    constexpr int kThreeByThree = 7;
    CRemote* pRemote = doc.AddRemote("K\xFC"
                                     "che",
                                     kThreeByThree);
    ASSERT_NE(pRemote, nullptr);
    const CSimulatedRemote::CRuns frame = CSimulatedRemote::MakeFrame(0x04, 0x12);
    const CBitstream bits = ToBitstream({frame.begin() + 1, frame.end()}, 1000);
    const std::vector<std::string> names = {"Alles",
                                            "L\xFC"
                                            "fter",
                                            "\xDC"
                                            "bergr\xF6\xDF"
                                            "enlicht",
                                            "Taste1",
                                            "Taste2",
                                            "Taste3",
                                            "Taste4",
                                            "Taste5",
                                            "Taste6"};
    for (std::size_t nCell = 0; nCell < names.size(); ++nCell)
    {
        CRemoteButton* pButton = doc.AddButton(*pRemote, names[nCell], "", nCell == 0);
        ASSERT_NE(pButton, nullptr) << names[nCell];
        if (nCell != 0)
            pButton->m_bits = bits;
        pRemote->PlaceButton(*pButton, static_cast<int>(nCell % 3), static_cast<int>(nCell / 3));
    }
    ASSERT_TRUE(doc.OnSaveDocument(strPath));
}
