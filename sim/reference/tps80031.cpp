#include "reference.h"

// TPS80031 at its default bus: voltage registers of SMPS1, SMPS2 and VIO on device 0x12,
// everything else on device 0x48. State registers hold the group bits 7-5 and the state
// in bits 1-0 (0xE1 on for every group, 0x00 off). Belk and the 0x37 boards carry it; the
// 0x33 boards carry the TPS80032.
RIGOSIM_REFERENCE(tps80031)
{
    if (chipId != 0x30 && chipId != 0x37)
        return;
    board.SetRegisters(4, 0x12, 0x55, {0x21});  // SMPS1 1000 mV
    board.SetRegisters(4, 0x12, 0x5B, {0x31});  // SMPS2 1200 mV
    board.SetRegisters(4, 0x12, 0x49, {0x3C});  // VIO 1800 mV
    SetRegisterList(board, 4, 0x48, {
        {0x54, 0xE1},                // SMPS1 ON
        {0x5A, 0xE1},                // SMPS2 ON
        {0x66, 0xE1}, {0x68, 0x3A},  // SMPS3 ON, 1350 mV
        {0x42, 0xE1}, {0x44, 0x1A},  // SMPS4 ON, 2817.6 mV
        {0x48, 0xE1},                // VIO ON
        {0x82, 0xE1}, {0x83, 0x09},  // VANA ON, 1800 mV
        {0x96, 0x00}, {0x97, 0x01},  // LDOLN OFF, 1000 mV
        {0xA2, 0xE1}, {0xA3, 0x18},  // LDOUSB ON, 3300 mV
        {0x9E, 0x00}, {0x9F, 0x03},  // LDO1 OFF, 1200 mV
        {0x86, 0xE1}, {0x87, 0x18},  // LDO2 ON, 3300 mV
        {0x8E, 0x00}, {0x8F, 0x04},  // LDO3 OFF, 1300 mV
        {0x8A, 0xE1}, {0x8B, 0x15},  // LDO4 ON, 3000 mV
        {0x9A, 0xE1}, {0x9B, 0x18},  // LDO5 ON, 3300 mV
        {0x92, 0xE1}, {0x93, 0x13},  // LDO6 ON, 2800 mV
        {0xA6, 0x00}, {0xA7, 0x03},  // LDO7 OFF, 1200 mV
    });
}
