#include "reference.h"

// TPS51632 CPU controller at its default bus and address on Corv, VSR at 1000 mV.
RIGOSIM_REFERENCE(tps51632)
{
    if (chipId != 0x35)
        return;
    board.SetRegisters(4, 0x43, 0x00, {0x4B});
}
