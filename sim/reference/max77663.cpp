#include "reference.h"

// MAX77663 at its default bus and address, rails at typical boot levels.
RIGOSIM_REFERENCE(max77663)
{
    if (chipId != 0x30 && chipId != 0x33 && chipId != 0x35)
        return;
    // Step-down status (active-low power good): SD4 not good
    board.SetRegisters(4, 0x3c, 0x14, {0x08});
    // SD0 1000, SD1 1200, SD2 1800, SD3 1050, SD4 600, DVSSD0 1000, DVSSD1 1200 mV;
    // SD0-SD3 power mode on, SD4 off
    board.SetRegisters(4, 0x3c, 0x16, {0x20, 0x20, 0x60, 0x24, 0x00, 0x20, 0x20, 0x30, 0x30, 0x30, 0x30, 0x00});
    // LDO0-LDO8, voltage and mode then configuration (bit 3 power good):
    // LDO0 on 1200, LDO1 on 1050, LDO2 on 1800, LDO3 on 3300, LDO4 on 1100, LDO5 off 2850,
    // LDO6 on 2800, LDO7 LPM 1200, LDO8 GLPM 1000 mV
    board.SetRegisters(4, 0x3c, 0x23,
                       {0xD0, 0x08, 0xCA, 0x08, 0xD4, 0x08, 0xF2, 0x08, 0xD8, 0x08, 0x29, 0x00, 0xE8, 0x08, 0x88,
                        0x08, 0x44, 0x08});
    // FPS sources of LDO0-LDO8, then SD0-SD4: LDO1 FPS0, LDO4 FPS1, LDO7 FPS2, SD0 FPS0,
    // SD1 FPS1, the rest none
    board.SetRegisters(4, 0x3c, 0x46,
                       {0xC0, 0x00, 0xC0, 0xC0, 0x40, 0xC0, 0xC0, 0x80, 0xC0, 0x12, 0x42, 0xC0, 0xC0, 0xC0});
}
