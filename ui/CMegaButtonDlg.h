#pragma once

#include "ui/CListHostDlg.h"

class CHostedListCtrl;
class CQuorbexDoc;
class CRemote;
class CRemoteButton;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

// The dialog in which the person composes a megabutton: its steps, each a button of any remote,
// a delay and how long the button is held down, listed in the order they fire. A step is inserted
// before the current row or at the end, and the current row's step can be deleted; every change
// goes straight into the megabutton and marks the document modified. Only buttons that cannot lead
// back to the megabutton are offered, so no step can make it play itself.
class CMegaButtonDlg : public CListHostDlg
{
    Q_OBJECT

public:
    static constexpr int kStepListId = 1018;

    // nLeft and nTop: where the dialog last closed (kNoStoredPosition in nLeft: nowhere yet);
    // they receive its place when it closes.
    CMegaButtonDlg(CQuorbexDoc& doc, CRemote& megaRemote, CRemoteButton& megabutton, int& nLeft,
                   int& nTop, QWidget* pParent = nullptr);

    CListPos FirstItem(int nListId) override;
    bool NextItem(int nListId, CListPos& nPos, CListItem& pItem) override;
    void ItemSelected(int nListId, CListItem pItem) override;
    void ItemText(int nListId, CListItem pItem, int nColumn, QString& strText) override;

    void reject() override;

private:
    void CreateControls();
    void FillRemoteBox();
    bool IsCandidate(const CRemoteButton& button) const;
    CRemote* GetChosenRemote() const;
    CRemoteButton* GetChosenButton() const;
    void OnRemoteChosen();
    void OnButtonChosen();
    void OnInsert();
    void OnDelete();
    bool CanChange();
    void ChooseEntry(QComboBox& box, const std::string& strName);

    CQuorbexDoc& m_doc;
    CRemote& m_megaRemote;
    CRemoteButton& m_mega;
    int& m_nLeft;
    int& m_nTop;

    QComboBox* m_pRemoteBox = nullptr;
    QComboBox* m_pButtonBox = nullptr;
    QComboBox* m_pDelayBox = nullptr;
    // How long the step holds its button down; 0 is a single press.
    QSpinBox* m_pHoldBox = nullptr;
    CHostedListCtrl* m_pSteps = nullptr;
    QPushButton* m_pInsert = nullptr;
    QPushButton* m_pDelete = nullptr;
    QLabel* m_pDescription = nullptr;
    QLabel* m_pTitle = nullptr;
};
