#include "ui/CDisplayOrder.h"

#include "ui/EventFormat.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QStyle>

#include <algorithm>

namespace
{
// The drop-down shows every name whole, wider than its box if need be, and a name too long
// even for the screen loses its middle rather than its end; each entry's tooltip names it whole.
void ShowNamesWhole(QComboBox& list)
{
    QAbstractItemView& view = *list.view();
    view.setTextElideMode(Qt::ElideMiddle);
    const QFontMetrics metrics(view.font());
    int nWidest = 0;
    for (int nIndex = 0; nIndex < list.count(); ++nIndex)
    {
        const QString strText = list.itemText(nIndex);
        list.setItemData(nIndex, strText, Qt::ToolTipRole);
        nWidest = std::max(nWidest, metrics.horizontalAdvance(strText));
    }
    // Room for the entry's margins and the scroll bar beside it.
    const int nMargins = 4 * metrics.averageCharWidth() + 2 * view.frameWidth() +
                         list.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    view.setMinimumWidth(nWidest + nMargins);
}
} // namespace

CDisplayOrder::CDisplayOrder()
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

bool CDisplayOrder::operator()(const std::string& strLeft, const std::string& strRight) const
{
    const int nOrder = m_collator.compare(ToDisplayString(strLeft), ToDisplayString(strRight));
    return nOrder != 0 ? nOrder < 0 : strLeft < strRight;
}

void CDisplayOrder::Sort(std::vector<std::string>& names) const
{
    std::sort(names.begin(), names.end(), *this);
}

void CDisplayOrder::FillList(QComboBox& list, const std::vector<std::string>& names) const
{
    list.clear();
    for (const std::string& strName : names)
        list.addItem(ToDisplayString(strName), QByteArray::fromStdString(strName));
    ShowNamesWhole(list);
}

void CDisplayOrder::InsertIntoList(QComboBox& list, const std::string& strName) const
{
    int nAt = 0;
    while (nAt < list.count() && (*this)(GetListName(list, nAt), strName))
        ++nAt;
    list.insertItem(nAt, ToDisplayString(strName), QByteArray::fromStdString(strName));
    ShowNamesWhole(list);
}

std::string GetListName(const QComboBox& list, int nIndex)
{
    return list.itemData(nIndex).toByteArray().toStdString();
}

int FindListName(const QComboBox& list, const std::string& strName)
{
    return list.findData(QByteArray::fromStdString(strName));
}
