#include "reference.h"

// LP8755 at its default bus and address: bit 7 enable, bits 6-0 10 mV code from 500 mV.
RIGOSIM_REFERENCE(lp8755)
{
    if (chipId != 0x13 && chipId != 0x14)
        return;
    // Registers 0x00-0x05 hold BUCK0, BUCK3, BUCK5, BUCK4, BUCK2, BUCK1:
    // BUCK0 on 1000, BUCK3 on 1200, BUCK5 off 1000, BUCK4 off 1000, BUCK2 off 900, BUCK1 on 1100 mV
    board.SetRegisters(4, 0x60, 0x00, {0xB2, 0xC6, 0x32, 0x32, 0x28, 0xBC});
}
