#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "bus/i2c.h"
#include "cli/cli.h"
#include "cli/registry.h"
#include "pmic/tps65911.h"

namespace {

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

}  // namespace

// -tps65911 bypass [<I2C_NODE> <I2C_ADDR>] LDO7|LDO8
void Tps65911Bypass(int argc, char** argv, std::span<const BusDefault> defaults)
{
    BusDefault where = DefaultBus(defaults);
    if (argc != 4 && argc != 6)
        ExitShowHelp(1);
    if (argc == 6) {
        where.bus = ParseNumber(argv[3]);
        where.address = ParseNumber(argv[4]);
    }
    if (where.address == 0)
        ExitShowHelp(1);
    tps65911_Init(where.bus, where.address, 8, 8, 100);
    const char* rail = argv[argc - 1];
    if (stricmp(rail, "LDO7") == 0) {
        if (BypassLdo(where.bus, kBypassLdo7) != 0)
            ExitShowMessage("Error: Unable to bypass LDO7. You may need to restart your device.\n", 1);
    } else if (stricmp(rail, "LDO8") == 0) {
        if (BypassLdo(where.bus, kBypassLdo8) != 0)
            ExitShowMessage("Error: Unable to bypass LDO8. You may need to restart your device.\n", 1);
    } else {
        printf("Error: Does not support bypass of %s.\n", rail);
        exit(1);
    }
}
