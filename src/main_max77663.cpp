#include <cstdlib>

#include "main.h"
#include "max77663.h"
#include "regulator.h"

namespace {
// Where the MAX77663/MAX77664 sits, per SoC.
const BusDefault kMax77663Bus[] = {{0x30, 4, 0x3C}, {0x33, 4, 0x3C}, {0x35, 4, 0x3C}};
}  // namespace

void PmuMax77663(int argc, char** argv)
{
    RegulatorArgs args = ParseRegulatorArgs(argc, argv, kMax77663Bus);
    if (max77663_Init(args.bus, args.address, kRegAddrBits, kRegDataBits, kRegClockKHz) != 0)
        ExitShowMessage("Failed to initialize the Maxim MAX77663 device.", 1);
    double volt = 0;
    if (args.action == RailList)
        max77663_ListVolt();
    else if (args.action == RailRead)
        max77663_GetVolt(args.name, &volt);
    else if (int onoff = OnOffKeyword(args.value); onoff >= 0)
        max77663_SetVoltOnOff(args.name, static_cast<DWORD>(onoff));
    else
        max77663_SetVolt(args.name, strtod(args.value, nullptr));
}
