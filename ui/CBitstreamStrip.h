#pragma once

#include <QWidget>

#include <cstdint>

class CQuorbexDoc;
class CRemoteButton;

// The thin picture of a button's bitstream in the Remote Builder: the whole recording at once
// (the overview) or a window of consecutive samples, 4 pixels a sample (zoomed). A press on a
// zoomed sample inverts it, and the trims zero everything before or after the window. Drawn
// afresh from the button's bits on every paint. A megabutton plays its steps, not bits of its
// own, so it shows the empty grid and is never edited here.
class CBitstreamStrip : public QWidget
{
    Q_OBJECT

public:
    CBitstreamStrip(CQuorbexDoc& doc, QWidget* pParent);

    void SetButton(CRemoteButton* pButton);
    bool IsZoomed() const { return m_bZoomed; }
    // The samples the window numbers name: the zoomed window, or the whole recording.
    std::uint32_t GetWindowFirst() const;
    std::uint32_t GetWindowLast() const;

    // The commands of the buttons beneath the strip. A strip too narrow for one sample does
    // not zoom in, and does not scroll or trim.
    void ToggleZoom();
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

private:
    std::uint32_t GetVisibleSamples() const;
    CRemoteButton* GetEditableButton() const;
    bool ConfirmTrim(int nQuestionId) const;
    void MoveWindow(std::uint32_t nStart);
    void FinishEdit();

    CQuorbexDoc& m_doc;
    CRemoteButton* m_pCurrent = nullptr;
    bool m_bZoomed = false;
    std::uint32_t m_nStart = 0; // first sample of the zoomed window
};
