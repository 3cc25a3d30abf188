#include "lp8755.h"
#include "main.h"
#include "regulator.h"

namespace {
// Where the LP8755 sits, per SoC.
const BusDefault kLp8755Bus[] = {{0x13, 4, 0x60}, {0x14, 4, 0x60}};
}  // namespace

void PmuLP8755(int argc, char** argv)
{
    RegulatorArgs args = ParseRegulatorArgs(argc, argv, kLp8755Bus);
    if (lp8755_Init(args.bus, args.address, kRegAddrBits, kRegDataBits, kRegClockKHz) != 0)
        ExitShowMessage("Failed to initialize the TI LP8755 device.", 1);
    DWORD volt = 0;
    if (args.action == RailList)
        lp8755_ListVolt();
    else if (args.action == RailRead)
        lp8755_GetVolt(args.name, &volt);
    else if (int onoff = OnOffKeyword(args.value); onoff >= 0)
        lp8755_SetVoltOnOff(args.name, static_cast<DWORD>(onoff));
    else
        lp8755_SetVolt(args.name, TruncatedMillivolts(args.value));
}
