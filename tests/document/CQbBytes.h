#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

class CQuorbexDoc;
class CRemote;
class CRemoteButton;

// Builds document files field by field, independently of the program's own writer, so that
// tests can state exact bytes and damage single fields.
class CQbBytes
{
public:
    CQbBytes& Raw(std::initializer_list<std::uint8_t> bytes);
    CQbBytes& U16(unsigned nValue);
    // A text field of nField bytes; a text of nField bytes or more fills it with no zero byte.
    CQbBytes& Text(const std::string& strText, std::size_t nField);
    CQbBytes& Time(int nYear, int nMonth, int nDay, int nHour, int nMinute);

    CQbBytes& Header(unsigned nVersion = 512);
    CQbBytes& Remote(const std::string& strName, unsigned nButtons, unsigned nStyle = 0,
                     unsigned nPadOpen = 0, int nPadX = 0x7FFF, int nPadY = 0x7FFF);
    CQbBytes& Button(const std::string& strName, unsigned nColumn, unsigned nRow,
                     const std::vector<std::uint8_t>& encoded,
                     const std::string& strDescription = "");
    CQbBytes& Megabutton(const std::string& strName, unsigned nColumn, unsigned nRow,
                         unsigned nSteps);
    CQbBytes& Step(const std::string& strRemote, const std::string& strButton, unsigned nDelay);
    CQbBytes& StepWithoutRemote(const std::string& strButton, unsigned nDelay);
    CQbBytes& Event(const std::string& strName, const std::string& strRemote,
                    const std::string& strButton, unsigned nFrequency = 1, unsigned nDisabled = 0);

    std::vector<std::uint8_t> m_bytes;
};

// The 180-byte sample file: remote TV with button Power (bitstream FF 00) and the daily
// event Wake at 07:00, written out row by row as the format describes it.
std::vector<std::uint8_t> GetExampleFileBytes();

// The same document built in memory.
void AddExampleContent(CQuorbexDoc& doc);

// Direct construction of records, bypassing the editing rules.
CRemote& AddTestRemote(CQuorbexDoc& doc, const std::string& strName, int nStyle = 0);
CRemoteButton& AddTestButton(CRemote& remote, const std::string& strName, int nColumn, int nRow,
                             bool bMega = false);
