#pragma once

#include <QDialog>

#include <string>
#include <utility>
#include <vector>

class CBitstreamStrip;
class CButtonRecorderDlg;
class CDialogMetrics;
class CFiringEngine;
class CInfraredDevice;
class CQuorbexDoc;
class CRemote;
class CRemoteButton;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Where the Remote Builder, its Button Recorder and its MegaButton editor were when they last
// closed, kept by the caller between runs; kNoStoredPosition in a left coordinate: not shown yet.
struct SBuilderPlaces
{
    int& nBuilderLeft;
    int& nBuilderTop;
    int& nRecorderLeft;
    int& nRecorderTop;
    int& nMegaLeft;
    int& nMegaTop;
};

// The dialog in which the person defines the buttons of a remote: adds plain buttons and
// megabuttons, removes them, teaches a plain button its code through the Button Recorder, edits
// a megabutton's steps, fires a button as a test, places a button on a cell of the remote's
// pad and chooses the button that hearing it fires. Every change goes straight into the document.
// The button a command acts on is the one the Button box's text names, letter case aside. The
// advanced mode grows the dialog to show the current button's bitstream.
class CRemoteBuilderDlg : public QDialog
{
    Q_OBJECT

public:
    CRemoteBuilderDlg(CQuorbexDoc& doc, CFiringEngine& engine, CInfraredDevice& device,
                      const SBuilderPlaces& places, QWidget* pParent = nullptr);
    ~CRemoteBuilderDlg() override;

    // The button of the chosen remote that the Button box's text names, letter case aside;
    // null when the text names none.
    CRemoteButton* FindTypedButton() const;
    // The button whose bitstream the advanced panel shows; null when there is none.
    CRemoteButton* GetCurrentButton() const { return m_pCurrent; }
    // The recorder while a button learns (the dialog is locked meanwhile); null otherwise.
    CButtonRecorderDlg* GetRecorder() const { return m_pRecorder; }
    bool IsAdvanced() const { return m_bAdvanced; }

    // The Close button, Escape and the window's Close: refused while a button learns; else the
    // dialog's position is kept and it ends.
    void reject() override;

private:
    void CreateControls();
    void CreateFields(const CDialogMetrics& units);
    void CreateButtons(const CDialogMetrics& units);
    void CreateStrip(const QRect& frame);
    void FillRemoteBox();
    CRemote& GetChosenRemote() const;
    int FindTypedIndex() const;
    CRemoteButton* GetButtonAt(int nIndex) const;
    int InsertButtonItem(const std::string& strName);
    void RemoveButtonItem(int nIndex);

    void OnRemoteChosen();
    void OnButtonTextEdited();
    void OnButtonSelected(int nIndex);
    void ShowButton(CRemoteButton& button);
    void ShowNoMatch();
    void SetCurrentButton(CRemoteButton* pButton);
    // The current button's decoded recording, read at this machine's sample period.
    void ShowSignal();
    // The buttons of every remote hearing the current button may fire, and the one it does.
    void ShowAction();
    void OnActionChosen(int nIndex);

    void StoreDescription();
    void OnAdd(bool bMega);
    // A plain button of the typed name (added when new) with the signal of a code the person
    // gives.
    void OnNewFromCode();
    void UpdateFromCode();
    void OnRemove();
    void OnLearn();
    void LearnPlainButton(CRemoteButton& button);
    void EditMegabutton(CRemote& remote, CRemoteButton& megabutton);
    void OnTest();
    void OnAssign();
    void OnAdvanced();
    void OnStripViewChanged();
    void OnStripBitsEdited();
    int GetAdvancedPanelHeight() const;
    void LockForRecording(bool bLock);

    CQuorbexDoc& m_doc;
    CFiringEngine& m_engine;
    CInfraredDevice& m_device;
    SBuilderPlaces m_places;

    QComboBox* m_pRemoteBox = nullptr;
    QComboBox* m_pButtonBox = nullptr;
    QLineEdit* m_pDescription = nullptr;
    QLineEdit* m_pSignal = nullptr;
    QComboBox* m_pAction = nullptr;
    // What each entry of m_pAction fires; the first, nothing.
    std::vector<std::pair<CRemote*, CRemoteButton*>> m_actionTargets;
    QPushButton* m_pAdd = nullptr;
    QPushButton* m_pMega = nullptr;
    QPushButton* m_pRemove = nullptr;
    QPushButton* m_pLearn = nullptr;
    QPushButton* m_pTest = nullptr;
    QPushButton* m_pAssign = nullptr;
    QPushButton* m_pAdvanced = nullptr;
    QPushButton* m_pClose = nullptr;
    QPushButton* m_pFromCode = nullptr;
    // The advanced panel: the bitstream strip, its window numbers and its zoom, scroll and trim
    // buttons.
    QGroupBox* m_pBitstreamGroup = nullptr;
    CBitstreamStrip* m_pStrip = nullptr;
    QLabel* m_pWindowFirst = nullptr;
    QLabel* m_pWindowLast = nullptr;
    QPushButton* m_pZoomIn = nullptr;
    QPushButton* m_pZoomOut = nullptr;
    QPushButton* m_pScrollLeft = nullptr;
    QPushButton* m_pScrollRight = nullptr;
    QPushButton* m_pTrimLeft = nullptr;
    QPushButton* m_pTrimRight = nullptr;

    CRemoteButton* m_pCurrent = nullptr;
    CButtonRecorderDlg* m_pRecorder = nullptr;
    bool m_bAdvanced = false;
    bool m_bTestWasEnabled = false; // Test's state when a recording locked the dialog
};
