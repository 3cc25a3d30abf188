#include "main.h"
#include "regulator.h"
#include "tps51632.h"

namespace {
// Where the TPS51632 sits, per SoC.
const BusDefault kTps51632Bus[] = {{0x35, 4, 0x43}};
}  // namespace

// No ON/OFF: the last argument is always a voltage, in whole 10 mV steps.
void PmuTPS51632(int argc, char** argv)
{
    RegulatorArgs args = ParseRegulatorArgs(argc, argv, kTps51632Bus);
    if (tps51632_Init(args.bus, args.address, kRegAddrBits, kRegDataBits, kRegClockKHz) != 0)
        ExitShowMessage("Failed to initialize the TI TPS51632 device.", 1);
    DWORD volt = 0;
    if (args.action == RailList)
        tps51632_ListVolt();
    else if (args.action == RailRead) {
        if (tps51632_GetVolt(args.name, &volt) != 0)
            ExitShowMessage("Error: An error occurred while attempting to read the TPS51632 voltage.", 1);
    } else if (tps51632_SetVolt(args.name, TenMillivoltSteps(args.value)) != 0)
        ExitShowMessage("Error: An error occurred while attempting to write the TPS51632 voltage.", 1);
}
