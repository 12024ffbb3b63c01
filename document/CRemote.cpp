#include "document/CRemote.h"

CRemote::CRemote(std::string strName, int nStyle, int nMenuId)
    : m_strName(std::move(strName)), m_nStyle(nStyle), m_nMenuId(nMenuId)
{
}

CRemoteButton* CRemote::FindButton(const std::string& strName) const
{
    const auto it = m_buttons.find(strName);
    return it == m_buttons.end() ? nullptr : it->second.get();
}

CRemoteButton* CRemote::GetButtonAt(int nColumn, int nRow) const
{
    const int nCell = nColumn * kGridRows + nRow;
    return nCell >= 0 && nCell < kGridCells ? m_grid[nCell] : nullptr;
}

CRemoteButton& CRemote::AddButton(std::unique_ptr<CRemoteButton> pButton)
{
    CRemoteButton& button = *pButton;
    if (button.IsPlaced())
        m_grid[button.GetCell()] = &button;
    m_buttons[button.m_strName] = std::move(pButton);
    return button;
}

void CRemote::PlaceButton(CRemoteButton& button, int nColumn, int nRow)
{
    if (nColumn < 0 || nColumn >= kGridColumns || nRow < 0 || nRow >= kGridRows)
        return;
    const int nCell = nColumn * kGridRows + nRow;
    if (CRemoteButton* pOccupant = m_grid[nCell])
        UnplaceButton(*pOccupant);
    UnplaceButton(button);
    button.m_nColumn = nColumn;
    button.m_nRow = nRow;
    m_grid[nCell] = &button;
}

void CRemote::UnplaceButton(CRemoteButton& button)
{
    if (button.IsPlaced() && m_grid[button.GetCell()] == &button)
        m_grid[button.GetCell()] = nullptr;
    button.m_nColumn = kNotPlacedColumn;
    button.m_nRow = kNotPlacedRow;
}

bool IsButtonInRemotes(const CRemoteMap& remotes, const CRemote* pRemote,
                       const CRemoteButton* pButton)
{
    if (pRemote == nullptr || pButton == nullptr)
        return false;
    const auto it = remotes.find(pRemote->m_strName);
    return it != remotes.end() && it->second.get() == pRemote &&
           pRemote->FindButton(pButton->m_strName) == pButton;
}

std::vector<std::pair<int, int>> CRemote::FindFreeCells() const
{
    std::vector<std::pair<int, int>> cells;
    const SRemoteStyle& style = kRemoteStyles[static_cast<std::size_t>(m_nStyle)];
    for (int nRow = 0; nRow < style.nRows; ++nRow)
    {
        for (int nColumn = 0; nColumn < style.nColumns; ++nColumn)
        {
            if (!GetButtonAt(nColumn, nRow))
                cells.emplace_back(nColumn, nRow);
        }
    }
    return cells;
}
