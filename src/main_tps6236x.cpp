#include "main.h"
#include "regulator.h"
#include "tps62361.h"
#include "tps62365.h"
#include "tps62366.h"

namespace {

// Where the TPS6236x converters sit, per SoC: all three at the same place.
const BusDefault kTps6236xBus[] = {{0x30, 4, 0x60}, {0x33, 4, 0x60}, {0x37, 4, 0x60}};

// One command: its driver and its messages.
struct Tps6236xCommand {
    int (*init)(DWORD, DWORD, DWORD, DWORD, DWORD);
    int (*getVolt)(const char*, DWORD*);
    int (*setVolt)(const char*, DWORD);
    int (*listVolt)();
    const char* initFailed;
    const char* readFailed;
    const char* writeFailed;
};

const Tps6236xCommand kTps62361 = {
    tps62631_Init, tps62361_GetVolt, tps62361_SetVolt, tps62361_ListVolt,
    "Failed to initialize the TI TPS62361 device.",
    "Error: An error occurred while attempting to read the TPS62361 voltage.",
    "Error: An error occurred while attempting to write the TPS62361 voltage.",
};

const Tps6236xCommand kTps62365 = {
    tps62635_Init, tps62365_GetVolt, tps62365_SetVolt, tps62365_ListVolt,
    "Failed to initialize the TI TPS62365 device.",
    "Error: An error occurred while attempting to read the TPS62365 voltage.",
    "Error: An error occurred while attempting to write the TPS62365 voltage.",
};

const Tps6236xCommand kTps62366 = {
    tps62636_Init, tps62366_GetVolt, tps62366_SetVolt, tps62366_ListVolt,
    "Failed to initialize the TI TPS62366 device.",
    "Error: An error occurred while attempting to read the TPS62366 voltage.",
    "Error: An error occurred while attempting to write the TPS62366 voltage.",
};

// No ON/OFF: the last argument is always a voltage, in whole 10 mV steps.
void RunTps6236x(int argc, char** argv, const Tps6236xCommand& command)
{
    RegulatorArgs args = ParseRegulatorArgs(argc, argv, kTps6236xBus);
    if (command.init(args.bus, args.address, kRegAddrBits, kRegDataBits, kRegClockKHz) != 0)
        ExitShowMessage(command.initFailed, 1);
    DWORD volt = 0;
    if (args.action == RailList)
        command.listVolt();
    else if (args.action == RailRead) {
        if (command.getVolt(args.name, &volt) != 0)
            ExitShowMessage(command.readFailed, 1);
    } else if (command.setVolt(args.name, TenMillivoltSteps(args.value)) != 0)
        ExitShowMessage(command.writeFailed, 1);
}

}  // namespace

void PmuTPS62361(int argc, char** argv)
{
    RunTps6236x(argc, argv, kTps62361);
}

void PmuTPS62365(int argc, char** argv)
{
    RunTps6236x(argc, argv, kTps62365);
}

void PmuTPS62366(int argc, char** argv)
{
    RunTps6236x(argc, argv, kTps62366);
}
