#pragma once

#include <QWidget>

#include <cstdint>
#include <limits>

class CQuorbexDoc;
class CRemoteButton;

// The thin picture of a button's bitstream in the Remote Builder: the whole recording at once
// (the overview) or a window of consecutive samples, from 4 pixels a sample (the finest level)
// up through windows twice as wide at each level. A press on a sample of the finest window
// inverts it, and the trims zero everything before or after any window. Drawn afresh from the
// button's bits on every paint. A megabutton plays its steps, not bits of its own, so it shows
// the empty grid and is never edited here.
class CBitstreamStrip : public QWidget
{
    Q_OBJECT

public:
    CBitstreamStrip(CQuorbexDoc& doc, QWidget* pParent);

    void SetButton(CRemoteButton* pButton);
    bool IsOverview() const;
    // False at the finest level, and on a strip too narrow for a sample.
    bool CanZoomIn() const { return GetLevel() > 0; }
    // The samples the window numbers name: the window, or the whole recording.
    std::uint32_t GetWindowFirst() const;
    std::uint32_t GetWindowLast() const;

    // The commands of the buttons beneath the strip. The zooms go one level at a time and keep
    // the window's first sample. A strip too narrow for one sample does not zoom in, and does
    // not scroll or trim.
    void ZoomIn();
    void ZoomOut();
    void ScrollLeft();
    void ScrollRight();
    void TrimLeft();
    void TrimRight();

signals:
    // The zoom or the window moved.
    void ViewChanged();
    // The button's bits changed; the document is already marked modified.
    void BitsEdited();

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
    // With Ctrl, zooms a level a wheel notch, keeping the sample under the pointer in place.
    void wheelEvent(QWheelEvent* pEvent) override;

private:
    std::uint32_t GetVisibleSamples() const;
    unsigned GetLevel() const;
    // True at the finest level, where presses edit.
    bool IsFinest() const;
    std::uint32_t GetWindowSamples() const;
    void ShowLevel(unsigned nLevel, std::uint32_t nStart);
    void ZoomAbout(int nX, unsigned nLevel);
    CRemoteButton* GetEditableButton() const;
    bool ConfirmTrim(int nQuestionId) const;
    void MoveWindow(std::uint32_t nStart);
    void FinishEdit();

    CQuorbexDoc& m_doc;
    CRemoteButton* m_pCurrent = nullptr;
    // Halvings of the window from the finest; anything from the overview's level up is the
    // overview, whatever the strip's width.
    unsigned m_nLevel = std::numeric_limits<unsigned>::max();
    std::uint32_t m_nStart = 0; // first sample of the window
    int m_nWheelAngle = 0;      // turned with Ctrl and not yet zoomed by, in eighths of a degree
};
