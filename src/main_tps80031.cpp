#include <cstdint>
#include <cstdlib>

#include "main.h"
#include "regulator.h"
#include "tps80031.h"
#include "tps80032.h"

namespace {

// Where the TPS80031/TPS80032 sits, per SoC.
const BusDefault kTps8003xBus[] = {{0x30, 4, 0x48}, {0x33, 4, 0x48}, {0x37, 4, 0x48}};

// The two commands are one command over two drivers.
struct Tps8003xDriver {
    int (*init)(DWORD, DWORD, DWORD, DWORD, DWORD);
    int (*getVolt)(const char*, DWORD*);
    int (*setVolt)(const char*, DWORD);
    int (*setVoltOnOff)(const char*, DWORD);
    void (*listVolt)();
    const char* initFailure;
};

const Tps8003xDriver kTps80031 = {
    tps80031_Init, tps80031_GetVolt, tps80031_SetVolt, tps80031_SetVoltOnOff, tps80031_ListVolt,
    "Failed to initialize the TI TPS80031 device.",
};
const Tps8003xDriver kTps80032 = {
    tps80032_Init, tps80032_GetVolt, tps80032_SetVolt, tps80032_SetVoltOnOff, tps80032_ListVolt,
    "Failed to initialize the TI TPS80032 device.",
};

// atoi as the 32-bit targets see it: decimal digits only, saturating at the int range.
DWORD WholeMillivolts(const char* text)
{
    long long value = strtoll(text, nullptr, 10);
    if (value > INT32_MAX)
        value = INT32_MAX;
    if (value < INT32_MIN)
        value = INT32_MIN;
    return static_cast<DWORD>(static_cast<int32_t>(value));
}

void RunTps8003x(int argc, char** argv, const Tps8003xDriver& driver)
{
    RegulatorArgs args = ParseRegulatorArgs(argc, argv, kTps8003xBus);
    if (driver.init(args.bus, args.address, kRegAddrBits, kRegDataBits, kRegClockKHz) != 0)
        ExitShowMessage(driver.initFailure, 1);
    DWORD volt = 0;
    if (args.action == RailList)
        driver.listVolt();
    else if (args.action == RailRead)
        driver.getVolt(args.name, &volt);
    else if (int onoff = OnOffKeyword(args.value); onoff >= 0)
        driver.setVoltOnOff(args.name, onoff);
    else
        driver.setVolt(args.name, WholeMillivolts(args.value));
}

}  // namespace

void PmuTPS80031(int argc, char** argv)
{
    RunTps8003x(argc, argv, kTps80031);
}

void PmuTPS80032(int argc, char** argv)
{
    RunTps8003x(argc, argv, kTps80032);
}
