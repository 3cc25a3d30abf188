#include "reference.h"

// The CPU converter (TPS62361, TPS62365 or TPS62366, one register map) at its default
// bus and address on Belk and its relatives.
RIGOSIM_REFERENCE(tps6236x)
{
    if (chipId != 0x30 && chipId != 0x33 && chipId != 0x37)
        return;
    board.SetRegisters(4, 0x60, 0x00, {
        0x32,  // SET0 1000 mV
        0x3C,  // SET1 1100 mV
        0x46,  // SET2 1200 mV
        0x4B,  // SET3 1250 mV
        0xE0,  // CTRL: pull-downs enabled
        0x00,  // TEMP
        0x20,  // RMPCTRL
    });
    board.SetRegisters(4, 0x60, 0x08, {0x0C});  // CHIP_ID
}
