#include "reference.h"

// TPS80036 at its default bus and address, rails at typical boot levels. On Belk the
// same address holds the TPS80031/TPS80032, so that board gets none.
RIGOSIM_REFERENCE(tps80036)
{
    int address;
    if (chipId == 0x13 || chipId == 0x14)
        address = 0x58;
    else if (chipId == 0x35)
        address = 0x48;
    else
        return;
    const struct {
        uint8_t reg;
        uint8_t value;
    } registers[] = {
        {0x20, 0x11}, {0x23, 0x38},  // SMPS12 AUTO, 1000 mV
        {0x24, 0x11}, {0x27, 0x4C},  // SMPS3 AUTO, 1200 mV
        {0x2C, 0x11}, {0x2F, 0xAE},  // SMPS6 AUTO, 1800 mV (range flag)
        {0x30, 0x21}, {0x33, 0x42},  // SMPS7 ECO, 1100 mV
        {0x34, 0x31}, {0x37, 0x5B},  // SMPS8 FORCE_PWM, 1350 mV
        {0x38, 0x00}, {0x3B, 0xE0},  // SMPS9 OFF, 2800 mV (range flag)
        {0x50, 0x11}, {0x51, 0x13},  // LDO1 ON, 1800 mV
        {0x52, 0x11}, {0x53, 0x27},  // LDO2 ON, 2800 mV
        {0x54, 0x11}, {0x55, 0x13},  // LDO3 ON, 1800 mV
        {0x56, 0x00}, {0x57, 0x07},  // LDO4 OFF, 1200 mV
        {0x58, 0x00}, {0x59, 0x27},  // LDO5 OFF, 2800 mV
        {0x5A, 0x11}, {0x5B, 0x07},  // LDO6 ON, 1200 mV
        {0x5C, 0x00}, {0x5D, 0x27},  // LDO7 OFF, 2800 mV
        {0x5E, 0x11}, {0x5F, 0x03},  // LDO8 ON, 1000 mV
        {0x60, 0x11}, {0x61, 0x31},  // LDO9 ON, 3300 mV
        {0x62, 0x11}, {0x63, 0x13},  // LDOLN ON, 1800 mV
        {0x64, 0x11}, {0x65, 0x31},  // LDOUSB ON, 3300 mV
        {0x66, 0x00}, {0x67, 0x13},  // LDO10 OFF, 1800 mV
        {0x68, 0x00}, {0x69, 0x31},  // LDO11 OFF, 3300 mV
        {0x6A, 0x00},                // LDO halving off
        {0x6F, 0x11}, {0x70, 0x13},  // LDO12 ON, 1800 mV
        {0x71, 0x00}, {0x72, 0x21},  // LDO13 OFF, 2500 mV
        {0x73, 0x00}, {0x74, 0x13},  // LDO14 OFF, 1800 mV
    };
    for (const auto& r : registers)
        board.SetRegisters(4, address, r.reg, {r.value});
}
