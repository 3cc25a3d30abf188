#include "reference.h"

// Board-ID EEPROM: bus 4 address 0x56 on Belk-class boards, bus 0 address 0x56 on Corv
// boards. The identification record: header version 1, 17 bytes long, board 1780,
// SKU 1000, fab 003, revision A.0, then the memory, power, misc, modem, touch and display codes.
RIGOSIM_REFERENCE(eeprom)
{
    int bus = 0;
    if (chipId == 0x30 || chipId == 0x33)
        bus = 4;
    else if (chipId == 0x35)
        bus = 0;
    else
        return;
    board.SetRegisters(bus, 0x56, 0x00,
                       {0x01, 0x00, 0x11, 0x00, 0xF4, 0x06, 0xE8, 0x03, 0x03, 0x41, 0x00, 0x02, 0x01, 0x00, 0x00,
                        0x01, 0x02});
}
