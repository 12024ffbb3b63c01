#pragma once

#include "base/DocumentConstants.h"

#include <QPushButton>
#include <QStringList>

class CRemoteButton;

// One cell of a pad: a square push button showing the button placed in the cell. Its id runs
// down each column first (1049 + 15 * column + row), so that id - 1049 is the cell's index in
// the remote's grid.
class CPadButton : public QPushButton
{
    Q_OBJECT

public:
    static constexpr int kFirstId = 1049;
    static constexpr int kLastId = kFirstId + kGridCells - 1;

    CPadButton(int nColumn, int nRow, QWidget* pParent);

    int GetId() const { return kFirstId + GetCell(); }
    int GetCell() const { return m_nColumn * kGridRows + m_nRow; }
    int GetColumn() const { return m_nColumn; }
    int GetRow() const { return m_nRow; }
    CRemoteButton* GetButton() const { return m_pButton; }

    // Shows pButton (null for an empty cell). A pad that fires hides its empty cells and greys
    // the buttons that cannot fire; a pad where a cell is being chosen offers every cell. The
    // cell leaves out the first nPrefixLength characters of the name, a prefix that every
    // button of the remote shares; the tooltip names the button whole and tells what a learned
    // button's recording carries, read at dNanosPerSample.
    void Bind(CRemoteButton* pButton, bool bChoosingCell, double dNanosPerSample,
              int nPrefixLength = 0);

    // The name under which tests and the pad find the cell with this id.
    static QString GetObjectName(int nId);
    // The cells' font: a cell is only a little wider than two letters of the window's font.
    static QFont MakeCellFont(QFont font);
    // The width a cell needs to show strName whole in font.
    static int GetCellWidthFor(const QFont& font, const QString& strName);

    // The button's name as the cell shows it: without the shared prefix, whole, in a smaller
    // font if need be, or cut in the middle with an ellipsis when even that is too wide.
    QString GetShownText() const { return GetShownName().strText; }
    // While its button is being sent the cell is lit.
    void SetSending(bool bSending);
    bool IsSending() const { return m_bSending; }

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    struct SShownName
    {
        QString strText;
        QFont font;
    };
    SShownName GetShownName() const;
    int GetTextRoom() const;

    int m_nColumn;
    int m_nRow;
    CRemoteButton* m_pButton = nullptr;
    QString m_strShortName; // the name without the prefix the remote's buttons share
    bool m_bSending = false;
};

// The prefix that every one of names starts with ("KEY_" of "KEY_POWER" and "KEY_MUTE"), up to
// and including its last character that is neither a letter nor a digit, so that no word is cut;
// empty for fewer than two names or when a name would be left with nothing.
QString FindSharedPrefix(const QStringList& names);
