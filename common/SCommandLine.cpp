#include "common/SCommandLine.h"

#include "signal/ExchangeText.h"

int GetLateMinutes(const SCommandLine& commandLine)
{
    if (commandLine.strLate.empty() || commandLine.strLate == "0")
        return 0;
    const unsigned long nMinutes = ParseDecimal(commandLine.strLate, kMaxLateMinutes);
    return nMinutes == 0 ? -1 : static_cast<int>(nMinutes);
}
