#pragma once

#include "base/DocumentConstants.h"
#include "document/CRemoteButton.h"

#include <array>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// One remote control: named buttons laid out on a grid of one of the eight styles.
class CRemote
{
public:
    CRemote(std::string strName, int nStyle, int nMenuId);

    CRemoteButton* FindButton(const std::string& strName) const;
    CRemoteButton* GetButtonAt(int nColumn, int nRow) const;
    // Enter a button in m_buttons and, when it is placed, in its grid cell.
    CRemoteButton& AddButton(std::unique_ptr<CRemoteButton> pButton);
    // Puts the button in cell (nColumn, nRow) and empties its old cell. A button that held the
    // cell goes off the pad: no cell may hold two buttons, and no button may name a cell that
    // holds another (a file with such a remote would not load again).
    void PlaceButton(CRemoteButton& button, int nColumn, int nRow);
    // Takes the button off the pad (column 5, row 15) and empties its cell.
    void UnplaceButton(CRemoteButton& button);
    // The free cells of the pad as (column, row), row by row: where new buttons go.
    std::vector<std::pair<int, int>> FindFreeCells() const;

    std::string m_strName;
    int m_nStyle = 0;
    int m_nMenuId = 0;
    // A pad shows the remote; which window that is, the windows know.
    bool m_bPadOpen = false;
    CButtonMap m_buttons;
    std::array<CRemoteButton*, kGridCells> m_grid{};
    int m_nPadX = kNoPadPosition;
    int m_nPadY = kNoPadPosition;
};

// All remotes of a document by exact, case-sensitive name, in name order; it owns them.
using CRemoteMap = std::map<std::string, std::unique_ptr<CRemote>>;

// True when pRemote is the remote of remotes under its name and pButton its button under its
// name: the records a step or an event written by name is read back as.
bool IsButtonInRemotes(const CRemoteMap& remotes, const CRemote* pRemote,
                       const CRemoteButton* pButton);
