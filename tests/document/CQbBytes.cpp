#include "CQbBytes.h"

#include "document/CQuorbexDoc.h"

CQbBytes& CQbBytes::Raw(std::initializer_list<std::uint8_t> bytes)
{
    m_bytes.insert(m_bytes.end(), bytes);
    return *this;
}

CQbBytes& CQbBytes::U16(unsigned nValue)
{
    return Raw({static_cast<std::uint8_t>(nValue), static_cast<std::uint8_t>(nValue >> 8)});
}

CQbBytes& CQbBytes::Text(const std::string& strText, std::size_t nField)
{
    const std::size_t nLength = std::min(strText.size(), nField);
    m_bytes.insert(m_bytes.end(), strText.begin(), strText.begin() + nLength);
    m_bytes.insert(m_bytes.end(), nField - nLength, std::uint8_t{0});
    return *this;
}

CQbBytes& CQbBytes::Time(int nYear, int nMonth, int nDay, int nHour, int nMinute)
{
    return U16(nYear).U16(nMonth).U16(nDay).U16(nHour).U16(nMinute);
}

CQbBytes& CQbBytes::Header(unsigned nVersion)
{
    return Raw({'Q', 'B'}).U16(nVersion);
}

CQbBytes& CQbBytes::Remote(const std::string& strName, unsigned nButtons, unsigned nStyle,
                           unsigned nPadOpen, int nPadX, int nPadY)
{
    return Text(strName, 16).U16(nStyle).U16(nPadOpen).U16(nPadX).U16(nPadY).U16(nButtons);
}

CQbBytes& CQbBytes::Button(const std::string& strName, unsigned nColumn, unsigned nRow,
                           const std::vector<std::uint8_t>& encoded,
                           const std::string& strDescription)
{
    Text(strName, 16).Text(strDescription, 32).U16(nColumn).U16(nRow).U16(0);
    U16(static_cast<unsigned>(encoded.size()));
    m_bytes.insert(m_bytes.end(), encoded.begin(), encoded.end());
    return *this;
}

CQbBytes& CQbBytes::Megabutton(const std::string& strName, unsigned nColumn, unsigned nRow,
                               unsigned nSteps)
{
    return Text(strName, 16).Text("", 32).U16(nColumn).U16(nRow).U16(1).U16(nSteps);
}

CQbBytes& CQbBytes::Step(const std::string& strRemote, const std::string& strButton,
                         unsigned nDelay)
{
    return Text(strRemote, 16).StepWithoutRemote(strButton, nDelay);
}

CQbBytes& CQbBytes::StepWithoutRemote(const std::string& strButton, unsigned nDelay)
{
    return Text(strButton, 16).U16(nDelay);
}

CQbBytes& CQbBytes::Event(const std::string& strName, const std::string& strRemote,
                          const std::string& strButton, unsigned nFrequency, unsigned nDisabled)
{
    Text(strName, 32).Time(1998, 3, 2, 7, 0).Time(1997, 1, 1, 0, 0);
    return U16(nDisabled).U16(nFrequency).Text(strRemote, 16).Text(strButton, 16);
}

std::vector<std::uint8_t> GetExampleFileBytes()
{
    const auto zeros = [](std::size_t nCount) { return std::vector<std::uint8_t>(nCount, 0); };
    const std::vector<std::vector<std::uint8_t>> rows{
        {0x51, 0x42}, // magic
        {0x00, 0x02}, // version 512
        {0x01, 0x00}, // remote count
        {0x54, 0x56},
        zeros(14),    // remote name
        {0x00, 0x00}, // style
        {0x00, 0x00}, // pad open
        {0xFF, 0x7F}, // pad x
        {0xFF, 0x7F}, // pad y
        {0x01, 0x00}, // button count
        {0x50, 0x6F, 0x77, 0x65, 0x72},
        zeros(11),    // button name
        zeros(32),    // description
        {0x00, 0x00}, // column
        {0x00, 0x00}, // row
        {0x00, 0x00}, // plain button
        {0x02, 0x00}, // data length
        {0x90, 0x40}, // encoded bitstream
        {0x01, 0x00}, // event count
        {0x57, 0x61, 0x6B, 0x65},
        zeros(28),                                                    // event name
        {0xCE, 0x07, 0x03, 0x00, 0x02, 0x00, 0x07, 0x00, 0x00, 0x00}, // time
        {0xCD, 0x07, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}, // last fired
        {0x00, 0x00},                                                 // disabled
        {0x01, 0x00},                                                 // frequency Daily
        {0x54, 0x56},
        zeros(14), // event's remote
        {0x50, 0x6F, 0x77, 0x65, 0x72},
        zeros(11), // event's button
    };
    std::vector<std::uint8_t> bytes;
    for (const auto& row : rows)
        bytes.insert(bytes.end(), row.begin(), row.end());
    return bytes;
}

CRemote& AddTestRemote(CQuorbexDoc& doc, const std::string& strName, int nStyle)
{
    const int nMenuId = kFirstRemoteMenuId + static_cast<int>(doc.m_nRemoteIds++);
    auto pRemote = std::make_unique<CRemote>(strName, nStyle, nMenuId);
    return *doc.m_pRemotes->emplace(strName, std::move(pRemote)).first->second;
}

CRemoteButton& AddTestButton(CRemote& remote, const std::string& strName, int nColumn, int nRow,
                             bool bMega)
{
    auto pButton = std::make_unique<CRemoteButton>(strName, bMega);
    pButton->m_nColumn = nColumn;
    pButton->m_nRow = nRow;
    return remote.AddButton(std::move(pButton));
}

void AddExampleContent(CQuorbexDoc& doc)
{
    CRemote& remote = AddTestRemote(doc, "TV");
    CRemoteButton& button = AddTestButton(remote, "Power", 0, 0);
    button.m_bits = CBitstream(std::vector<std::uint8_t>{0xFF, 0x00});
    auto pEvent = std::make_unique<CTimedEvent>();
    pEvent->m_strName = "Wake";
    pEvent->m_time = CTime(1998, 3, 2, 7, 0, 0);
    pEvent->m_nFrequency = kFrequencyDaily;
    pEvent->m_pRemote = &remote;
    pEvent->m_pButton = &button;
    doc.m_pEvents->emplace("Wake", std::move(pEvent));
}
