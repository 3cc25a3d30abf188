#include "main.h"
#include "regulator.h"
#include "tps51632.h"

namespace {

// Where the TPS51632 sits, per SoC.
const BusDefault kTps51632Bus[] = {{0x35, 4, 0x43}};

const SteppedRegulator kTps51632 = {
    kTps51632Bus, tps51632_Init, tps51632_GetVolt, tps51632_SetVolt, tps51632_ListVolt,
    "Failed to initialize the TI TPS51632 device.",
    "Error: An error occurred while attempting to read the TPS51632 voltage.",
    "Error: An error occurred while attempting to write the TPS51632 voltage.",
};

}  // namespace

void PmuTPS51632(int argc, char** argv)
{
    RunSteppedRegulator(argc, argv, kTps51632);
}
