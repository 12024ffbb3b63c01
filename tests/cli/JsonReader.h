#pragma once

#include <optional>
#include <string>
#include <vector>

struct SJsonMember;

// Just enough of a JSON reader to check what the listing writes: strict syntax, strict UTF-8,
// and members kept in their written order so that the order can be checked too.
struct SJson
{
    enum class EType
    {
        Null,
        Bool,
        Number,
        String,
        Array,
        Object,
    };

    EType nType = EType::Null;
    bool bValue = false;
    double dValue = 0;
    std::string strValue; // UTF-8, escapes resolved
    std::vector<SJson> items;
    std::vector<SJsonMember> members;

    // The member of that name; a Null value when there is none.
    const SJson& operator[](const std::string& strKey) const;
    std::vector<std::string> GetKeys() const;
};

struct SJsonMember
{
    std::string strKey;
    SJson value;
};

// The value the text holds, or nothing when it is not exactly one valid JSON value.
std::optional<SJson> ReadJson(const std::string& strText);
