#include <cstdlib>

#include "main.h"
#include "max77660.h"
#include "regulator.h"

namespace {
// Where the MAX77660 sits, per SoC.
const BusDefault kMax77660Bus[] = {{0x14, 4, 0x23}};
}  // namespace

void PmuMax77660(int argc, char** argv)
{
    RegulatorArgs args = ParseRegulatorArgs(argc, argv, kMax77660Bus);
    if (max77660_Init(args.bus, args.address, kRegAddrBits, kRegDataBits, kRegClockKHz) != 0)
        ExitShowMessage("Failed to initialize the Maxim MAX77660 device.", 1);
    double volt = 0;
    if (args.action == RailList)
        max77660_ListVolt();
    else if (args.action == RailRead)
        max77660_GetVolt(args.name, &volt);
    else if (int onoff = OnOffKeyword(args.value); onoff >= 0)
        max77660_SetVoltOnOff(args.name, static_cast<DWORD>(onoff));  // ON is power mode 1 (sleep)
    else
        max77660_SetVolt(args.name, strtod(args.value, nullptr));
}
