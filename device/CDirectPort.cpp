#include "device/CDirectPort.h"

#include "device/PortTable.h"

#include <cerrno>
#include <system_error>

std::optional<CDirectPort> CDirectPort::Open(std::string& strError)
{
#if QUORBIT_HAS_PORT_IO
    // Each port spans data, status and control registers.
    for (const SPortRegisters& registers : kPortTable)
    {
        if (ioperm(registers.nData, 3, 1) != 0)
        {
            strError =
                "direct port I/O is not permitted: " + std::system_category().message(errno) +
                " (it needs root or CAP_SYS_RAWIO)";
            return std::nullopt;
        }
    }
    return CDirectPort();
#else
    strError = "direct port I/O needs an x86 processor";
    return std::nullopt;
#endif
}

bool CDirectPort::Answers(std::uint16_t nData)
{
    // Bit 0 stays clear in both patterns so that an attached emitter never lights.
    bool bAnswers = true;
    for (const std::uint8_t nPattern : {std::uint8_t{0xAA}, std::uint8_t{0x54}})
    {
        Out(nData, nPattern);
        bAnswers = bAnswers && In(nData) == nPattern;
    }
    Out(nData, kDataAllOff);
    return bAnswers;
}
