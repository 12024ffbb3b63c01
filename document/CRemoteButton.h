#pragma once

#include "base/DocumentConstants.h"
#include "document/CBitstream.h"
#include "document/CMegaStep.h"
#include "document/SSendingFacts.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

// One button of a remote: a plain button with its learned bitstream, or a megabutton that
// plays other buttons in sequence.
class CRemoteButton
{
public:
    CRemoteButton(std::string strName, bool bMega);

    // The description when there is one, else the name; every message naming a button uses it.
    const std::string& GetDisplayText() const;

    // Bytes of bitstream a firing plays; 0 means the button cannot fire. A megabutton sums its
    // steps' lengths and gives 0 as soon as one step gives 0. A million plays of full-length
    // bitstreams would overflow 32 bits, and a sum that wrapped to 0 would silence the button.
    std::uint64_t GetFiringLength() const;
    // Count a firing in progress on this button and, for a megabutton, on every step's button.
    void BeginFiring();
    void EndFiring();
    bool IsFiring() const { return m_nFiring != 0; }
    // True when this button is pButton or plays it through its steps, however deeply nested.
    bool Uses(const CRemoteButton* pButton) const;

    // True when the button occupies a grid cell; GetCell() is then its index 0-74.
    bool IsPlaced() const { return m_nColumn < kNotPlacedColumn; }
    int GetCell() const { return m_nColumn * kGridRows + m_nRow; }

    int m_nFiring = 0;
    std::string m_strName;
    std::string m_strDescription;
    int m_nColumn = kNotPlacedColumn;
    int m_nRow = kNotPlacedRow;
    bool m_bMega = false;
    CBitstream m_bits;     // its length is the number of bytes in use; 0 = not learned
    SSendingFacts m_facts; // of the bitstream: its time base, carrier and code
    CMegaStepList m_steps;
    // What hearing this button does: fire that button (of any remote) through the same queue
    // as a request. Both null for nothing; never a command of the machine's.
    CRemote* m_pActionRemote = nullptr;
    CRemoteButton* m_pActionButton = nullptr;
};

// A remote's buttons by exact, case-sensitive name, in name order; it owns them.
using CButtonMap = std::map<std::string, std::unique_ptr<CRemoteButton>>;
