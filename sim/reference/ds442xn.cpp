#include "reference.h"

// DS4424N margining DAC on bus 0: at 0x10 on Belk-class boards, at 0x70 on Corv boards.
// Every output powers up at code 0x00, so each trimmed rail sits at its nominal level.
RIGOSIM_REFERENCE(ds442xn)
{
    int address = 0;
    if (chipId == 0x30 || chipId == 0x33)
        address = 0x10;
    else if (chipId == 0x35)
        address = 0x70;
    else
        return;
    board.SetRegisters(0, address, 0xF8, {0x00, 0x00, 0x00, 0x00});
}
