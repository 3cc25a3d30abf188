// The regulator register map of TI's Palmas family, which the TPS65913 and the TPS80036
// share: each converter has a control register and, three above it, a voltage register;
// each LDO a control register and the voltage register after it. The chips differ in which
// of these rails they have and in how their drivers read some selectors back.
#pragma once

#include "pmic/rail.h"

struct PalmasRegulator {
    bool converter;          // else an LDO
    RegisterField status;    // what runs: converter mode (bits 5-4), LDO on (bit 4)
    RegisterField request;   // what is asked for: converter mode (bits 1-0), LDO enable (bit 0)
    RegisterField selector;  // converter bits 6-0, under the range flag; LDO bits 5-0
};

constexpr PalmasRegulator PalmasConverter(BYTE control, BYTE voltage)
{
    return {true, {control, 4, 5}, {control, 0, 1}, {voltage, 0, 6}};
}

constexpr PalmasRegulator PalmasLdo(BYTE control, BYTE voltage)
{
    return {false, {control, 4, 4}, {control, 0, 0}, {voltage, 0, 5}};
}

// A converter's voltage register: bit 7 doubles the output of the selector below it.
inline constexpr DWORD kPalmasRangeFlag = 0x80;
inline constexpr DWORD kPalmasSmpsSelectorMask = 0x7F;

// Converter selector: 10 mV steps from 500 mV at 6 to 1650 mV at 121.
inline constexpr LinearRange kPalmasSmpsMillivolts = {500, 6, 121, 10};
// LDO selector: 50 mV steps from 900 mV at 1 to 3300 mV at 49.
inline constexpr LinearRange kPalmasLdoMillivolts = {900, 1, 49, 50};

// Each rail by its control and voltage registers.
inline constexpr PalmasRegulator kPalmasSmps12 = PalmasConverter(0x20, 0x23);
inline constexpr PalmasRegulator kPalmasSmps3 = PalmasConverter(0x24, 0x27);
inline constexpr PalmasRegulator kPalmasSmps45 = PalmasConverter(0x28, 0x2B);
inline constexpr PalmasRegulator kPalmasSmps6 = PalmasConverter(0x2C, 0x2F);
inline constexpr PalmasRegulator kPalmasSmps7 = PalmasConverter(0x30, 0x33);
inline constexpr PalmasRegulator kPalmasSmps8 = PalmasConverter(0x34, 0x37);
inline constexpr PalmasRegulator kPalmasSmps9 = PalmasConverter(0x38, 0x3B);
inline constexpr PalmasRegulator kPalmasLdo1 = PalmasLdo(0x50, 0x51);
inline constexpr PalmasRegulator kPalmasLdo2 = PalmasLdo(0x52, 0x53);
inline constexpr PalmasRegulator kPalmasLdo3 = PalmasLdo(0x54, 0x55);
inline constexpr PalmasRegulator kPalmasLdo4 = PalmasLdo(0x56, 0x57);
inline constexpr PalmasRegulator kPalmasLdo5 = PalmasLdo(0x58, 0x59);
inline constexpr PalmasRegulator kPalmasLdo6 = PalmasLdo(0x5A, 0x5B);
inline constexpr PalmasRegulator kPalmasLdo7 = PalmasLdo(0x5C, 0x5D);
inline constexpr PalmasRegulator kPalmasLdo8 = PalmasLdo(0x5E, 0x5F);
inline constexpr PalmasRegulator kPalmasLdo9 = PalmasLdo(0x60, 0x61);
inline constexpr PalmasRegulator kPalmasLdoLn = PalmasLdo(0x62, 0x63);
inline constexpr PalmasRegulator kPalmasLdoUsb = PalmasLdo(0x64, 0x65);
inline constexpr PalmasRegulator kPalmasLdo10 = PalmasLdo(0x66, 0x67);
inline constexpr PalmasRegulator kPalmasLdo11 = PalmasLdo(0x68, 0x69);
inline constexpr PalmasRegulator kPalmasLdo12 = PalmasLdo(0x6F, 0x70);
inline constexpr PalmasRegulator kPalmasLdo13 = PalmasLdo(0x71, 0x72);
inline constexpr PalmasRegulator kPalmasLdo14 = PalmasLdo(0x73, 0x74);
