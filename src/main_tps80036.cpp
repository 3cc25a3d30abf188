#include <cstdint>
#include <cstdlib>

#include "main.h"
#include "regulator.h"
#include "tps80036.h"

namespace {

// Where the TPS80036 sits, per SoC.
const BusDefault kTps80036Bus[] = {
    {0x13, 4, 0x58},
    {0x14, 4, 0x58},
    {0x30, 4, 0x48},
    {0x35, 4, 0x48},
};

// atoi as the 32-bit targets see it: decimal digits only, saturating at the int range.
DWORD WholeMillivolts(const char* text)
{
    long long value = strtoll(text, nullptr, 10);
    if (value > INT32_MAX)
        value = INT32_MAX;
    if (value < INT32_MIN)
        value = INT32_MIN;
    return static_cast<DWORD>(static_cast<int32_t>(value));
}

}  // namespace

void PmuTPS80036(int argc, char** argv)
{
    RegulatorArgs args = ParseRegulatorArgs(argc, argv, kTps80036Bus);
    if (tps80036_Init(args.bus, args.address, kRegAddrBits, kRegDataBits, kRegClockKHz) != 0)
        ExitShowMessage("Failed to initialize the TI TPS80036 device.", 1);
    DWORD volt = 0;
    if (args.action == RailList)
        tps80036_ListVolt();
    else if (args.action == RailRead)
        tps80036_GetVolt(args.name, &volt);
    else if (int onoff = OnOffKeyword(args.value); onoff >= 0)
        tps80036_SetVoltOnOff(args.name, onoff);
    else
        tps80036_SetVolt(args.name, WholeMillivolts(args.value));
}
