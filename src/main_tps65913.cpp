#include <cstdio>
#include <cstdlib>

#include "main.h"
#include "regulator.h"
#include "tps65913.h"

namespace {

// Where the TPS65913 sits, per SoC.
const BusDefault kTps65913Bus[] = {{0x30, 4, 0x49}, {0x33, 4, 0x49}, {0x35, 4, 0x58}};

// ON, OFF or a voltage; 0 when it went through, else the failure line is printed.
int WriteRail(const char* name, const char* value)
{
    if (int onoff = OnOffKeyword(value); onoff >= 0) {
        int status = tps65913_SetVoltOnOff(name, onoff);
        if (status != 0)
            printf(onoff == 1 ? "Failed to turn output ON [ERR CODE: %i]\n" : "Failed to turn output OFF [ERR CODE: %i]\n",
                   status);
        return status;
    }
    DWORD millivolts = TenMillivoltSteps(value);
    if (millivolts == 0) {
        printf("[VALUE] is not valid [%s]\n", value);
        exit(1);
    }
    int status = tps65913_SetVolt(name, millivolts);
    if (status != 0)
        printf("Failed to set voltage [ERR CODE: %i]\n", status);
    return status;
}

}  // namespace

void PmuTPS65913(int argc, char** argv)
{
    RegulatorArgs args = ParseRegulatorArgs(argc, argv, kTps65913Bus);
    int initStatus = tps65913_Init(args.bus, args.address, kRegAddrBits, kRegDataBits, kRegClockKHz);
    if (args.action == RailList) {
        tps65913_ListVolt();
        return;
    }
    if (initStatus != 0)
        return;
    DWORD volt = 0;
    if (args.action == RailRead) {
        if (int status = tps65913_GetVolt(args.name, &volt); status != 0)
            printf("Failed to get voltage [ERR CODE: %i]\n", status);
    } else if (WriteRail(args.name, args.value) == 0) {
        tps65913_GetVolt(args.name, &volt);
    }
}
