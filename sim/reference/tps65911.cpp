#include "reference.h"

// TPS65911 at its default bus and address, rails at their nominal boot levels, and the
// I/O expander beside it whose pins 4 and 3 drive the LDO7 and LDO8 bypass inputs.
RIGOSIM_REFERENCE(tps65911)
{
    if (chipId != 0x30 && chipId != 0x33 && chipId != 0x37)
        return;
    // VIO on 1800; VDD1 on 1200 (selector 51, operating and SR); VDD2 on 1500 (75);
    // VDDCTRL off 1000 (35)
    board.SetRegisters(4, 0x2d, 0x20, {0x05, 0x01, 0x33, 0x33, 0x01, 0x4B, 0x4B, 0x00, 0x23, 0x23});
    // LDO1 on 1050, LDO2 on 1050, LDO5 off 3300, LDO8 on 1000, LDO7 on 1100, LDO6 off 1000,
    // LDO4 on 1200, LDO3 off 1000
    board.SetRegisters(4, 0x2d, 0x30, {0x15, 0x15, 0x64, 0x09, 0x0D, 0x08, 0x21, 0x08});
    // Expander outputs 0 (0xFF, 0x00), polarity (0x00, 0x00), directions (all inputs)
    board.SetRegisters(4, 0x20, 0x02, {0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF});
}
