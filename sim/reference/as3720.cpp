#include "reference.h"

// AS3720 at its default bus and address, rails at typical boot levels.
RIGOSIM_REFERENCE(as3720)
{
    if (chipId != 0x30 && chipId != 0x33 && chipId != 0x35)
        return;
    // SD0 1000, SD1 1100, SD2 1350, SD3 1800, SD4 1200, SD5 3300, SD6 900 mV
    board.SetRegisters(4, 0x40, 0x00, {0x28, 0x32, 0x3C, 0x50, 0x30, 0x7E, 0x1E});
    // LDO0 1200, LDO1 1800, LDO2 1200, LDO3 1000, LDO4 2800, LDO5 1800, LDO6 3300,
    // LDO7 1050, LDO8 1800, LDO9 2850, LDO10 3300, LDO11 1800 mV
    board.SetRegisters(4, 0x40, 0x10, {0x10, 0x43, 0x10, 0x28, 0x6B, 0x43, 0x7F, 0x0A, 0x43, 0x6D, 0x7F, 0x43});
    // Enables: SD5 off; LDO4, LDO6, LDO9, LDO11 off
    board.SetRegisters(4, 0x40, 0x4D, {0x5F, 0xAF, 0x05});
}
