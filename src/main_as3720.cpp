#include "as3720.h"
#include "main.h"
#include "regulator.h"

namespace {

// Where the AS3720 sits, per SoC.
const BusDefault kAs3720Bus[] = {
    {0x30, 4, 0x40},
    {0x33, 4, 0x40},
    {0x35, 4, 0x40},
};

}  // namespace

// Values are typed in microvolts; the fraction is dropped.
void PmuAS3720(int argc, char** argv)
{
    RegulatorArgs args = ParseRegulatorArgs(argc, argv, kAs3720Bus);
    if (as3720_Init(args.bus, args.address, kRegAddrBits, kRegDataBits, kRegClockKHz) != 0)
        ExitShowMessage("Failed to initialize the AMS AS3720 device.", 1);
    DWORD volt = 0;
    if (args.action == RailList)
        as3720_ListVolt();
    else if (args.action == RailRead)
        as3720_GetVolt(args.name, &volt);
    else if (int onoff = OnOffKeyword(args.value); onoff >= 0)
        as3720_SetVoltOnOff(args.name, onoff);
    else
        as3720_SetVolt(args.name, TruncatedMillivolts(args.value));
}
