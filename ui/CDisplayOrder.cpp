#include "ui/CDisplayOrder.h"

#include "ui/EventFormat.h"

#include <QComboBox>

#include <algorithm>

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
}

void CDisplayOrder::InsertIntoList(QComboBox& list, const std::string& strName) const
{
    int nAt = 0;
    while (nAt < list.count() && (*this)(GetListName(list, nAt), strName))
        ++nAt;
    list.insertItem(nAt, ToDisplayString(strName), QByteArray::fromStdString(strName));
}

std::string GetListName(const QComboBox& list, int nIndex)
{
    return list.itemData(nIndex).toByteArray().toStdString();
}

int FindListName(const QComboBox& list, const std::string& strName)
{
    return list.findData(QByteArray::fromStdString(strName));
}
