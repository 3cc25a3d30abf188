#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "i2c.h"
#include "main.h"
#include "regulator.h"
#include "tps65911.h"

int PmuTPS65911_BypassLDO7(DWORD i2cNode, DWORD i2cAddr);
int PmuTPS65911_BypassLDO8(DWORD i2cNode, DWORD i2cAddr);

namespace {

// Where the TPS65911 sits, per SoC.
const BusDefault kTps65911Bus[] = {{0x30, 4, 0x2D}, {0x33, 4, 0x2D}, {0x37, 4, 0x2D}};

// The I/O expander beside the PMIC whose outputs drive the LDO bypass pins.
const DWORD kExpanderAddr = 0x20;
const DWORD kExpanderOutput = 0x03;
const DWORD kExpanderDirection = 0x07;  // a 0 bit makes the pin an output
const useconds_t kBypassSettleUs = 1000;

struct BypassPin {
    DWORD mask;
    const char* rail;
    int openFailure;
    int readFailure;
    int directionFailure;
    const char* offFailure;
};

const BypassPin kBypassLdo7 = {0x10, "LDO7", 4, 3, 2, "Error: Failed to turn OFF LDO7 on TI TPS65911 device."};
const BypassPin kBypassLdo8 = {0x08, "LDO8", 5, 4, 3, "Error: Failed to disable LDO8 on TI TPS65911 device."};

int ExpanderRead(DWORD reg, DWORD* pValue)
{
    return I2cRead(kExpanderAddr, reg, pValue, 8, 8);
}

int ExpanderWrite(DWORD reg, DWORD value)
{
    return I2cWrite(kExpanderAddr, reg, value, 8, 8);
}

// Drives the LDO's bypass pin high, then switches the LDO off. The driver calls in
// between reuse the node held open here and close it.
int BypassLdo(DWORD i2cNode, const BypassPin& pin)
{
    if (I2cOpen(static_cast<BYTE>(i2cNode)) != 0) {
        printf("Error: Unable to open /dev/I2C-%d node.\n", static_cast<int>(i2cNode));
        return pin.openFailure;
    }
    DWORD direction = 0;
    DWORD output = 0;
    int readStatus = ExpanderRead(kExpanderDirection, &direction);
    readStatus |= ExpanderRead(kExpanderOutput, &output);
    if (readStatus != 0) {
        puts("Error: Unable to read I2C device.");
        I2cClose();
        return pin.readFailure;
    }
    direction &= ~pin.mask;
    output = (output & 0xFF) | pin.mask;
    if (ExpanderWrite(kExpanderDirection, direction) != 0) {
        puts("Error: Unable to write I2C device [0x20, 0x7].");
        I2cClose();
        return pin.directionFailure;
    }
    if (ExpanderWrite(kExpanderOutput, output) != 0) {
        I2cClose();
        return 0;
    }
    usleep(kBypassSettleUs);
    if (tps65911_SetVoltOnOff(pin.rail, 0) != 0) {
        puts(pin.offFailure);
        I2cClose();
        return 1;
    }
    DWORD volt = 0;
    tps65911_GetVolt(pin.rail, &volt);
    I2cClose();
    return 0;
}

// -tps65911 bypass [<I2C_NODE> <I2C_ADDR>] LDO7|LDO8
void Bypass(int argc, char** argv)
{
    BusDefault where = DefaultBus(kTps65911Bus);
    if (argc != 4 && argc != 6)
        ExitShowHelp(1);
    if (argc == 6) {
        where.bus = ParseNumber(argv[3]);
        where.address = ParseNumber(argv[4]);
    }
    if (where.address == 0)
        ExitShowHelp(1);
    tps65911_Init(where.bus, where.address, kRegAddrBits, kRegDataBits, kRegClockKHz);
    const char* rail = argv[argc - 1];
    if (stricmp(rail, "LDO7") == 0) {
        if (PmuTPS65911_BypassLDO7(where.bus, where.address) != 0)
            ExitShowMessage("Error: Unable to bypass LDO7. You may need to restart your device.\n", 1);
    } else if (stricmp(rail, "LDO8") == 0) {
        if (PmuTPS65911_BypassLDO8(where.bus, where.address) != 0)
            ExitShowMessage("Error: Unable to bypass LDO8. You may need to restart your device.\n", 1);
    } else {
        printf("Error: Does not support bypass of %s.\n", rail);
        exit(1);
    }
}

// The typed value in whole millivolts, one more when it lies exactly on a step of the rail,
// so that the encoders, which round down, select that step. Exits on a value that is not
// positive; false when the rail is unknown.
bool StepMillivolts(const char* name, const char* text, DWORD* pVolt)
{
    double value = strtod(text, nullptr);
    if (!(value > 0)) {
        printf("[VALUE] is not valid [%s]\n", text);
        exit(1);
    }
    DWORD index = 0;
    if (tps65911_LookupVoltageIndex(name, &index) != 0)
        return false;
    *pVolt = ParseNumber(text) + (modulus(value, tps65911_GetStepSize(index)) == 0 ? 1 : 0);
    return true;
}

}  // namespace

int PmuTPS65911_BypassLDO7(DWORD i2cNode, DWORD)
{
    return BypassLdo(i2cNode, kBypassLdo7);
}

int PmuTPS65911_BypassLDO8(DWORD i2cNode, DWORD)
{
    return BypassLdo(i2cNode, kBypassLdo8);
}

void PmuTPS65911(int argc, char** argv)
{
    if (IsFirstWord(argc, argv, "bypass")) {
        Bypass(argc, argv);
        return;
    }
    RegulatorArgs args = ParseRegulatorArgs(argc, argv, kTps65911Bus);
    tps65911_Init(args.bus, args.address, kRegAddrBits, kRegDataBits, kRegClockKHz);
    DWORD volt = 0;
    if (args.action == RailList) {
        tps65911_ListVolt();
        return;
    }
    if (args.action == RailRead) {
        tps65911_GetVolt(args.name, &volt);
        return;
    }
    int status = 0;
    if (int onoff = OnOffKeyword(args.value); onoff >= 0)
        status = tps65911_SetVoltOnOff(args.name, static_cast<DWORD>(onoff));
    else if (DWORD millivolts = 0; StepMillivolts(args.name, args.value, &millivolts))
        status = tps65911_SetVolt(args.name, millivolts);
    else
        return;
    if (status == 0)
        tps65911_GetVolt(args.name, &volt);
}
