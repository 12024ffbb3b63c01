#pragma once

#include <string>
#include <utility>

// What a request to the running program came to: done, or refused with a code that scripts
// test and a reason for people. Each edge words it its own way: a reply line on the control
// socket, a JSON error on MQTT, a message on standard error for the command line.
struct SControlResult
{
    std::string strCode; // empty when done; else one word, such as "busy" or "unknown-button"
    std::string strText; // what was done, or why it was not

    bool IsOk() const { return strCode.empty(); }

    static SControlResult Done(std::string strText = {}) { return {{}, std::move(strText)}; }
    static SControlResult Refused(std::string strCode, std::string strText)
    {
        return {std::move(strCode), std::move(strText)};
    }
};
