#include "ui/CListCtrlEx.h"

#include <QApplication>
#include <QStandardItemModel>

#include <gtest/gtest.h>

namespace
{
TEST(ListCtrlExTest, ShortensTextsThatDoNotFitTheirCell)
{
    const QFontMetrics metrics(QFont("Sans", 10));
    const QString strText = "Living room television";
    const int nFull = metrics.horizontalAdvance(strText);
    const int nDots = metrics.horizontalAdvance("...");

    EXPECT_EQ(CListCtrlEx::MakeShortString(metrics, strText, nFull + 12, 12), strText);
    EXPECT_EQ(CListCtrlEx::MakeShortString(metrics, "", 0, 12), "");

    const int nWidth = metrics.horizontalAdvance("Living") + nDots + 12;
    const QString strShort = CListCtrlEx::MakeShortString(metrics, strText, nWidth, 12);
    EXPECT_TRUE(strShort.startsWith("Living")) << strShort.toStdString();
    EXPECT_TRUE(strShort.endsWith("..."));
    EXPECT_LE(metrics.horizontalAdvance(strShort) + 12, nWidth);
    // One more character would not have fitted.
    const QString strLonger = strText.left(strShort.size() - 3 + 1) + "...";
    EXPECT_GT(metrics.horizontalAdvance(strLonger) + 12, nWidth);

    // Too narrow even for one character and the dots: the first character stays.
    EXPECT_EQ(CListCtrlEx::MakeShortString(metrics, strText, 5, 4), "L...");
}
// Two narrow columns in a wide list, the first row selected.
class ListCtrlExPaintTest : public ::testing::Test
{
protected:
    ListCtrlExPaintTest() : m_model(2, 2)
    {
        for (int nRow = 0; nRow < 2; ++nRow)
        {
            for (int nColumn = 0; nColumn < 2; ++nColumn)
                m_model.setItem(nRow, nColumn, new QStandardItem("x"));
        }
        m_list.setModel(&m_model);
        m_list.setColumnWidth(0, 60);
        m_list.setColumnWidth(1, 60);
        m_list.resize(400, 200);
        m_list.show();
        m_list.activateWindow();
        m_list.setFocus();
        m_list.setCurrentIndex(m_model.index(0, 0));
        QCoreApplication::processEvents();
    }

    // The colour of a row just inside the list's right edge, far right of the columns.
    QColor RightEdgeOfRow(int nRow)
    {
        const QImage image = m_list.viewport()->grab().toImage();
        const QRect rect = m_list.visualRect(m_model.index(nRow, 0));
        return image.pixelColor(m_list.viewport()->width() - 4, rect.center().y());
    }

    QColor Palette(QPalette::ColorRole nRole) const
    {
        return m_list.palette().color(QPalette::Active, nRole);
    }

    QStandardItemModel m_model;
    CListCtrlEx m_list;
};

TEST_F(ListCtrlExPaintTest, SelectedRowIsHighlightedOnToTheRightEdge)
{
    ASSERT_TRUE(m_list.hasFocus());
    EXPECT_EQ(RightEdgeOfRow(0), Palette(QPalette::Highlight));
    EXPECT_EQ(RightEdgeOfRow(1), Palette(QPalette::Base));
}

TEST_F(ListCtrlExPaintTest, SelectionStaysVisibleInTheInactiveHighlightWithoutTheFocus)
{
    // A style whose inactive highlight differs from its active one.
    QPalette palette = m_list.palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, QColor(0xc0, 0xd0, 0xe0));
    m_list.setPalette(palette);
    m_list.clearFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(RightEdgeOfRow(0), QColor(0xc0, 0xd0, 0xe0));
    EXPECT_EQ(RightEdgeOfRow(1), Palette(QPalette::Base));
}

TEST_F(ListCtrlExPaintTest, DisabledListDrawsEveryRowOnButtonFace)
{
    m_list.setEnabled(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(RightEdgeOfRow(0), Palette(QPalette::Button));
    EXPECT_EQ(RightEdgeOfRow(1), Palette(QPalette::Button));
}
} // namespace
