#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "base/CStringTable.h"
#include "document/CQuorbexDoc.h"
#include "ui/CBitstreamStrip.h"
#include "ui/CDialogDriver.h"
#include "ui/CRemoteBuilderDlg.h"
#include "ui/StripWindow.h"

#include <QApplication>
#include <QPushButton>
#include <QWheelEvent>
#include <QWindow>

#include <functional>

namespace
{
// The Remote Builder in advanced mode on the learned button Power of the remote TV.
class BitstreamStripTest : public CAppFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start());
        m_pPower = AddRemoteWithButton("TV").FindButton("Power");
        CSettings& settings = App().GetSettings();
        m_pBuilder = std::make_unique<CRemoteBuilderDlg>(Doc(), App().GetSession().GetEngine(),
                                                         App().GetUnit().GetDevice(),
                                                         settings.GetBuilderPlaces(), &Frame());
        m_pBuilder->show();
        Builder().Click("advanced");
        m_pStrip = &Builder().Find<CBitstreamStrip>("bitstreamStrip");
        m_nVisible = GetVisibleSamples(m_pStrip->width());
        Doc().SetModifiedFlag(false);
        CMessageBox::TakeShownTexts();
    }

    CDialogDriver Builder() const { return CDialogDriver(*m_pBuilder); }
    // A point in the middle of cell nCell of the zoomed window.
    static QPoint CellAt(std::uint32_t nCell)
    {
        return QPoint(kStripMargin + kSampleWidth * static_cast<int>(nCell) + 1, 8);
    }
    // As the window system delivers it: press, release, press, double-click, release.
    void DoubleClick(const QPoint& point) const
    {
        QTest::mouseDClick(m_pBuilder->windowHandle(), Qt::LeftButton, {},
                           m_pStrip->mapTo(m_pBuilder.get(), point));
    }
    void ZoomToFinest() const
    {
        while (Builder().IsEnabled("zoomIn"))
            Builder().Click("zoomIn");
    }
    void ShowOverview() const
    {
        while (Builder().IsEnabled("zoomOut"))
            Builder().Click("zoomOut");
    }
    std::pair<QString, QString> Window() const
    {
        return {Builder().Text("windowStart"), Builder().Text("windowEnd")};
    }

    CRemoteButton* m_pPower = nullptr;
    std::unique_ptr<CRemoteBuilderDlg> m_pBuilder;
    CBitstreamStrip* m_pStrip = nullptr;
    std::uint32_t m_nVisible = 0;
};

TEST_F(BitstreamStripTest, RightmostDoubleClickZoomsToTheLastWindowAndScrollingStopsThere)
{
    ASSERT_GT(m_nVisible, 0u);
    DoubleClick(QPoint(m_pStrip->width() - 3, 8));
    const QString strLastStart = QString::number(kStripSamples - m_nVisible);
    EXPECT_EQ(Window(), std::pair(strLastStart, QString("399999")));
    EXPECT_FALSE(Builder().IsEnabled("zoomIn"));
    for (const char* pszName : {"zoomOut", "scrollLeft", "scrollRight", "trimLeft", "trimRight"})
        EXPECT_TRUE(Builder().IsEnabled(pszName)) << pszName;
    EXPECT_EQ(m_pPower->m_bits.GetLength(), 4u) << "the double-click edits nothing";

    Builder().Click("scrollRight");
    EXPECT_EQ(Window().first, strLastStart);
    Builder().Click("scrollLeft");
    EXPECT_EQ(Window().first, QString::number(kStripSamples - m_nVisible - m_nVisible / 2));
    ShowOverview();
    EXPECT_FALSE(Builder().IsEnabled("scrollLeft"));
    ZoomToFinest();
    Builder().Click("scrollLeft");
    EXPECT_EQ(Window(), std::pair(QString("0"), QString::number(m_nVisible - 1)));
}

struct SZoomStep
{
    const char* pszName;
    std::function<void()> act;
    std::uint32_t nFirst, nLast;
    bool bZoomIn, bZoomOut, bEdits;
};

// A strip 405 pixels wide shows 100 samples at the finest level and 204,800 eleven levels up,
// below the overview; the pointer at x = 202 stands above column 200, the middle.
TEST_F(BitstreamStripTest, ZoomStepsHalveTheWindowAboutItsStartOrThePointer)
{
    m_pStrip->resize(405, m_pStrip->height());
    const auto click = [this](const char* pszButton)
    { return [this, pszButton] { Builder().Click(pszButton); }; };
    const auto wheel = [this](int nX, int nAngle, Qt::KeyboardModifiers modifiers)
    {
        return [this, nX, nAngle, modifiers]
        {
            const QPointF point(nX, 8);
            QWheelEvent turn(point, m_pStrip->mapToGlobal(point), QPoint(), QPoint(0, nAngle),
                             Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
            QApplication::sendEvent(m_pStrip, &turn);
        };
    };
    const SZoomStep steps[] = {
        {"ZoomInFromTheWholeView", click("zoomIn"), 0, 204799, true, true, false},
        {"ZoomOutToIt", click("zoomOut"), 0, 399999, true, false, false},
        {"WheelAtTheMiddle", wheel(202, 120, Qt::ControlModifier), 97599, 302398, true, true,
         false},
        {"WheelKeepsTheSample", wheel(202, 120, Qt::ControlModifier), 148799, 251198, true, true,
         false},
        {"WheelWithoutCtrl", wheel(202, 120, Qt::NoModifier), 148799, 251198, true, true, false},
        {"ZoomOutKeepsTheStart", click("zoomOut"), 148799, 353598, true, true, false},
        {"ZoomOutToTheWholeView", click("zoomOut"), 0, 399999, true, false, false},
        {"TwoNotchesAtTheRightEnd", wheel(402, 240, Qt::ControlModifier), 297600, 399999, true,
         true, false},
        {"DoubleClickToTheFinest", [this] { DoubleClick(QPoint(202, 8)); }, 348750, 348849, false,
         true, true},
        {"WheelInAtTheFinest", wheel(202, 120, Qt::ControlModifier), 348750, 348849, false, true,
         true},
        {"ZoomOutOfTheFinest", click("zoomOut"), 348750, 348949, true, true, false},
    };
    for (const SZoomStep& step : steps)
    {
        step.act();
        EXPECT_EQ(Window(), std::pair(QString::number(step.nFirst), QString::number(step.nLast)))
            << step.pszName;
        EXPECT_EQ(Builder().IsEnabled("zoomIn"), step.bZoomIn) << step.pszName;
        EXPECT_EQ(Builder().IsEnabled("zoomOut"), step.bZoomOut) << step.pszName;
        const CBitstream before = m_pPower->m_bits;
        QTest::mouseClick(m_pStrip, Qt::LeftButton, {}, CellAt(0));
        EXPECT_EQ(IsSampleHigh(m_pPower->m_bits, step.nFirst) != IsSampleHigh(before, step.nFirst),
                  step.bEdits)
            << step.pszName;
        m_pPower->m_bits = before;
    }
}

// Power holds F0 00 00 00: the first zoomed sample is high.
TEST_F(BitstreamStripTest, ClickEditsFollowTheLengthIntoTheTestButtonAndTheDocument)
{
    ZoomToFinest();
    m_pPower->m_bits = CBitstream(std::vector<std::uint8_t>{0x80});
    DoubleClick(CellAt(0));
    EXPECT_EQ(m_pPower->m_bits.GetLength(), 0u) << "inverted once, not twice";
    EXPECT_FALSE(Builder().IsEnabled("test"));
    EXPECT_TRUE(Doc().IsModified());
    QTest::mouseClick(m_pStrip, Qt::LeftButton, {}, CellAt(9));
    EXPECT_EQ(m_pPower->m_bits[1], 0x40);
    EXPECT_EQ(m_pPower->m_bits.GetLength(), 2u);
    EXPECT_TRUE(Builder().IsEnabled("test"));
}

TEST_F(BitstreamStripTest, TrimsWithNothingBeyondTheWindowAskButChangeNothing)
{
    ZoomToFinest();
    CMessageBox::QueueAnswer(QMessageBox::Yes);
    Builder().Click("trimLeft");
    DoubleClick(QPoint(0, 0)); // on the margin: no zoom, no edit
    ShowOverview();
    DoubleClick(QPoint(m_pStrip->width() - 3, 8));
    CMessageBox::QueueAnswer(QMessageBox::Yes);
    Builder().Click("trimRight");

    EXPECT_EQ(CMessageBox::TakeShownTexts(),
              QStringList({QString(LoadString(StringId::kConfirmTrimLeft)),
                           LoadString(StringId::kConfirmTrimRight)}));
    EXPECT_EQ(m_pPower->m_bits, CBitstream(std::vector<std::uint8_t>{0xF0, 0, 0, 0}));
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(BitstreamStripTest, AFiringButtonIsRefusedAndAMegabuttonIgnored)
{
    ZoomToFinest();
    const CBitstream learned = m_pPower->m_bits;
    m_pPower->BeginFiring();
    QTest::mouseClick(m_pStrip, Qt::LeftButton, {}, CellAt(0));
    Builder().Click("trimRight");
    m_pPower->EndFiring();
    m_pPower->m_bMega = true;
    QTest::mouseClick(m_pStrip, Qt::LeftButton, {}, CellAt(0));
    Builder().Click("trimRight");

    const QString strRefusal =
        QString::fromStdString(FormatString(StringId::kButtonFiringChange, "Power"));
    EXPECT_EQ(CMessageBox::TakeShownTexts(), QStringList({strRefusal, strRefusal}));
    EXPECT_EQ(m_pPower->m_bits, learned);
    EXPECT_FALSE(Doc().IsModified());
}
} // namespace
