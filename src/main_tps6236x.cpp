#include "main.h"
#include "regulator.h"
#include "tps62361.h"
#include "tps62365.h"
#include "tps62366.h"

namespace {

// Where the TPS6236x converters sit, per SoC: all three at the same place.
const BusDefault kTps6236xBus[] = {{0x30, 4, 0x60}, {0x33, 4, 0x60}, {0x37, 4, 0x60}};

const SteppedRegulator kTps62361 = {
    kTps6236xBus, tps62631_Init, tps62361_GetVolt, tps62361_SetVolt, tps62361_ListVolt,
    "Failed to initialize the TI TPS62361 device.",
    "Error: An error occurred while attempting to read the TPS62361 voltage.",
    "Error: An error occurred while attempting to write the TPS62361 voltage.",
};

const SteppedRegulator kTps62365 = {
    kTps6236xBus, tps62635_Init, tps62365_GetVolt, tps62365_SetVolt, tps62365_ListVolt,
    "Failed to initialize the TI TPS62365 device.",
    "Error: An error occurred while attempting to read the TPS62365 voltage.",
    "Error: An error occurred while attempting to write the TPS62365 voltage.",
};

const SteppedRegulator kTps62366 = {
    kTps6236xBus, tps62636_Init, tps62366_GetVolt, tps62366_SetVolt, tps62366_ListVolt,
    "Failed to initialize the TI TPS62366 device.",
    "Error: An error occurred while attempting to read the TPS62366 voltage.",
    "Error: An error occurred while attempting to write the TPS62366 voltage.",
};

}  // namespace

void PmuTPS62361(int argc, char** argv)
{
    RunSteppedRegulator(argc, argv, kTps62361);
}

void PmuTPS62365(int argc, char** argv)
{
    RunSteppedRegulator(argc, argv, kTps62365);
}

void PmuTPS62366(int argc, char** argv)
{
    RunSteppedRegulator(argc, argv, kTps62366);
}
