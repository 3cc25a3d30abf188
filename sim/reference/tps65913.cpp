#include "reference.h"

// TPS65913 at its default bus and address: 0x49 on Belk-class boards, 0x58 on Corv. SMPS
// control: bits 5-4 the mode in force (0x11 AUTO, 0x21 ECO, 0x33 FORCED_PWM), bits 1-0 the
// mode asked for; SMPS voltage bit 7 doubles. LDO control: bit 4 state, bit 0 enable.
RIGOSIM_REFERENCE(tps65913)
{
    int address;
    if (chipId == 0x30 || chipId == 0x33)
        address = 0x49;
    else if (chipId == 0x35)
        address = 0x58;
    else
        return;
    const struct {
        uint8_t reg;
        uint8_t value;
    } registers[] = {
        {0x20, 0x11}, {0x23, 0x4C},  // SMPS12 AUTO, 1200 mV
        {0x24, 0x00}, {0x27, 0x00},  // SMPS3 OFF, 0 mV
        {0x28, 0x11}, {0x2B, 0x38},  // SMPS45 AUTO, 1000 mV
        {0x2C, 0x21}, {0x2F, 0x2E},  // SMPS6 ECO, 900 mV
        {0x30, 0x11}, {0x33, 0xAE},  // SMPS7 AUTO, 1800 mV (range bit)
        {0x34, 0x33}, {0x37, 0x4C},  // SMPS8 FORCED_PWM, 1200 mV
        {0x38, 0x11}, {0x3B, 0x3A},  // SMPS9 AUTO, 1020 mV
        {0x50, 0x00}, {0x51, 0x13},  // LDO1 OFF, 1800 mV
        {0x52, 0x00}, {0x53, 0x27},  // LDO2 OFF, 2800 mV
        {0x54, 0x00}, {0x55, 0x31},  // LDO3 OFF, 3300 mV
        {0x56, 0x11}, {0x57, 0x03},  // LDO4 ON, 1000 mV
        {0x58, 0x11}, {0x59, 0x13},  // LDO5 ON, 1800 mV
        {0x5A, 0x11}, {0x5B, 0x07},  // LDO6 ON, 1200 mV
        {0x5C, 0x11}, {0x5D, 0x13},  // LDO7 ON, 1800 mV
        {0x5E, 0x11}, {0x5F, 0x03},  // LDO8 ON, 1000 mV
        {0x60, 0x00}, {0x61, 0x31},  // LDO9 OFF, 3300 mV
        {0x62, 0x11}, {0x63, 0x13},  // LDOLN ON, 1800 mV
        {0x64, 0x11}, {0x65, 0x30},  // LDOUSB ON, 3250 mV
    };
    for (const auto& r : registers)
        board.SetRegisters(4, address, r.reg, {r.value});
}
