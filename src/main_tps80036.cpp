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

const WholeMillivoltRegulator kTps80036 = {
    kTps80036Bus, tps80036_Init, tps80036_GetVolt, tps80036_SetVolt, tps80036_SetVoltOnOff, tps80036_ListVolt,
    "Failed to initialize the TI TPS80036 device.",
};

}  // namespace

void PmuTPS80036(int argc, char** argv)
{
    RunWholeMillivoltRegulator(argc, argv, kTps80036);
}
