#include "main.h"
#include "regulator.h"
#include "tps80031.h"
#include "tps80032.h"

namespace {

// Where the TPS80031/TPS80032 sits, per SoC.
const BusDefault kTps8003xBus[] = {{0x30, 4, 0x48}, {0x33, 4, 0x48}, {0x37, 4, 0x48}};

const WholeMillivoltRegulator kTps80031 = {
    kTps8003xBus, tps80031_Init, tps80031_GetVolt, tps80031_SetVolt, tps80031_SetVoltOnOff, tps80031_ListVolt,
    "Failed to initialize the TI TPS80031 device.",
};

const WholeMillivoltRegulator kTps80032 = {
    kTps8003xBus, tps80032_Init, tps80032_GetVolt, tps80032_SetVolt, tps80032_SetVoltOnOff, tps80032_ListVolt,
    "Failed to initialize the TI TPS80032 device.",
};

}  // namespace

void PmuTPS80031(int argc, char** argv)
{
    RunWholeMillivoltRegulator(argc, argv, kTps80031);
}

void PmuTPS80032(int argc, char** argv)
{
    RunWholeMillivoltRegulator(argc, argv, kTps80032);
}
