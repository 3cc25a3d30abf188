#include "reference.h"

// MAX77660 at its default bus and address on Dern, rails at typical boot levels.
RIGOSIM_REFERENCE(max77660)
{
    if (chipId != 0x14)
        return;
    const int bus = 4;
    const int address = 0x23;
    board.SetRegisters(bus, address, 0x37, {
        0xFF,  // BUCK1-4 normal
        0x2F,  // BUCK5, BUCK6 normal, BUCK7 low power
    });
    board.SetRegisters(bus, address, 0x3E, {
        0x1F,  // LDO1, LDO2 normal, LDO3 sleep, LDO4 off
        0xB3,  // LDO5 normal, LDO6 off, LDO7 normal, LDO8 low power
        0x3F,  // LDO9-11 normal, LDO12 off
        0x3C,  // LDO13 off, LDO14, LDO15 normal, LDO16 off
        0x07,  // LDO17 normal, LDO18 sleep
    });
    board.SetRegisters(bus, address, 0x46, {
        0x40,  // BUCK1 1000 mV
        0x50,  // BUCK2 1100 mV
        0x60,  // BUCK3 1800 mV
    });
    board.SetRegisters(bus, address, 0x4A, {0x30});        // BUCK5 1200 mV
    board.SetRegisters(bus, address, 0x4C, {0x2E, 0x24});  // BUCK6 3300 mV, BUCK7 2800 mV
    board.SetRegisters(bus, address, 0x53, {
        0x60,  // BUCK4 1200 mV
        0x18,  // LDO1 1200 mV
        0x14,  // LDO2 1800 mV
        0x28,  // LDO3 2800 mV
        0x32,  // LDO4 3300 mV
        0x14,  // LDO5 1800 mV
        0x29,  // LDO6 2850 mV
        0x18,  // LDO7 1200 mV
        0x12,  // LDO8 1050 mV
        0x14,  // LDO9 1800 mV
        0x28,  // LDO10 2800 mV
        0x32,  // LDO11 3300 mV
        0x14,  // LDO12 1800 mV
        0x26,  // LDO13 2700 mV
        0x2C,  // LDO14 3000 mV
        0x14,  // LDO15 1800 mV
        0x28,  // LDO16 2800 mV
        0x32,  // LDO17 3300 mV
        0x08,  // LDO18 1200 mV
    });
}
