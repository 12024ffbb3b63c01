#pragma once

#include "base/DocumentConstants.h"

#include <QDialog>

#include <array>

class CFiringEngine;
class CPadButton;
class CQuorbexDoc;
class CRemote;
class QGroupBox;
class QLabel;
class QPushButton;
class CRemoteButton;

// A remote's pad: a small window laid out like the hand-held remote, a grid of square cells in
// the remote's style. In fire mode it is a window of its own beside the main window and a click
// fires the cell's button; in assign mode it is run modally to let the person choose a cell.
// Its position follows the remote (and marks the document modified) in both modes.
class CRemotePadDlg : public QDialog
{
    Q_OBJECT

public:
    enum EMode
    {
        kFireMode = 0,
        kAssignMode = 1,
    };
    // The close bar's id; the cells have ids 1049 to 1123.
    static constexpr int kCloseBarId = 2;

    // size: the size the person last gave the pad; an invalid size for the template's.
    CRemotePadDlg(CRemote& remote, EMode nMode, CQuorbexDoc& doc, CFiringEngine& engine,
                  QWidget* pParent = nullptr, QSize size = QSize());
    ~CRemotePadDlg() override;

    // Opens the remote's pad in fire mode, owned by pOwner, and marks the remote's pad open;
    // when it is open already, brings it forward with the keyboard focus.
    static CRemotePadDlg& ShowPad(CRemote& remote, CQuorbexDoc& doc, CFiringEngine& engine,
                                  QWidget* pOwner, QSize size = QSize());
    // The fire-mode pad that shows the remote, or null.
    static CRemotePadDlg* FindPad(const CRemote& remote);

    // The cells show their buttons anew: names, descriptions and signals may have changed.
    void ShowCellsAgain()
    {
        if (m_pRemote)
            BindCells();
    }

    // The button's cell lights for a moment: the button was heard.
    void LightButton(const CRemoteButton& button);

    // Closes a fire-mode pad whatever it is doing: the remote's pad is closed at once, the window
    // goes and the object is deleted once no firing started from it is running any more.
    void Close();

    // The cell chosen in assign mode (exec() returned QDialog::Accepted); -1 before.
    int GetChosenColumn() const { return m_nChosenColumn; }
    int GetChosenRow() const { return m_nChosenRow; }
    EMode GetMode() const { return m_nMode; }

    // The close bar, the Escape key and the window's Close: a modal pad ends without a choice,
    // a fire-mode pad closes.
    void reject() override;

signals:
    // A click fires strButton ("TV: Power"); the firing has ended.
    void FiringStarted(const QString& strButton);
    void FiringEnded();
    // The person gave the pad a new size.
    void Resized(const QSize& size);

protected:
    void moveEvent(QMoveEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void showEvent(QShowEvent* pEvent) override;

private:
    void CreateControls();
    void LayOut();
    QSize FitScreen(const QSize& wanted);
    void BindCells();
    void RestorePosition();
    void PlaceBesideOwner();
    void OnCellClicked(CPadButton& cell);
    void FireCell(CPadButton& cell);

    std::array<CPadButton*, kGridCells> m_cells{};
    QLabel* m_pName = nullptr;
    QGroupBox* m_pFrame = nullptr;
    QPushButton* m_pCloseBar = nullptr;
    QSize m_natural;          // the template's size at the person's font
    double m_dLineHeight = 0; // the line height that gives it
    int m_nNameHeight = 0;    // the name strip's height at that size
    int m_nChosenColumn = -1;
    int m_nChosenRow = -1;
    CRemote* m_pRemote; // null once a fire-mode pad was closed
    int m_nColumns;
    int m_nRows;
    bool m_bInitialised = false;
    QPoint m_placed; // where the pad was put or last moved to: its inner corner
    EMode m_nMode;
    CQuorbexDoc& m_doc;
    CFiringEngine& m_engine;
    int m_nFiring = 0; // firings started from this pad's cells and still running
};
