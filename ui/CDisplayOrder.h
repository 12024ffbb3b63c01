#pragma once

#include <QCollator>

#include <string>
#include <vector>

class QComboBox;

// Document names in the order a person reads them: letter case aside, by the locale's rules;
// names that differ only in letter case keep a fixed order between them.
class CDisplayOrder
{
public:
    CDisplayOrder();

    bool operator()(const std::string& strLeft, const std::string& strRight) const;

    // The keys of a map of records by name, in this order.
    template <typename TMap> std::vector<std::string> GetSortedNames(const TMap& map) const
    {
        std::vector<std::string> names;
        names.reserve(map.size());
        for (const auto& entry : map)
            names.push_back(entry.first);
        Sort(names);
        return names;
    }

    // A list whose entries show the names and carry them exactly, as item data.
    void FillList(QComboBox& list, const std::vector<std::string>& names) const;
    // Adds one more name to such a list in its place.
    void InsertIntoList(QComboBox& list, const std::string& strName) const;

private:
    void Sort(std::vector<std::string>& names) const;

    QCollator m_collator;
};

// The exact document name an entry of such a list carries.
std::string GetListName(const QComboBox& list, int nIndex);
// The entry carrying exactly this name, or -1.
int FindListName(const QComboBox& list, const std::string& strName);
