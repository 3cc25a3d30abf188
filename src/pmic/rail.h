// The rail-description layer of the regulator drivers: register fields, linear voltage
// ranges with both directions derived from one description, and rail tables (constant
// arrays of records searched by name, each ended by a record whose name is null or empty).
#pragma once

#include <cstddef>
#include <cstdio>
#include <span>

#include "bus/register_cache.h"
#include "common.h"

// Bits msb..lsb of one register.
struct RegisterField {
    BYTE reg;
    BYTE lsb;
    BYTE msb;

    constexpr DWORD Mask() const { return (0xFFFFFFFFu >> (31 - (msb - lsb))) << lsb; }
    // The field right-aligned, from the whole register's value.
    constexpr DWORD Get(DWORD registerValue) const { return (registerValue & Mask()) >> lsb; }
    // The register's value with the field replaced; field bits beyond its width are dropped.
    constexpr DWORD Set(DWORD registerValue, DWORD field) const
    {
        return (registerValue & ~Mask()) | ((field << lsb) & Mask());
    }
};

// Selectors firstSelector..lastSelector give minimum + (selector - firstSelector) * step, in
// the unit of the table that holds the range (its name says which).
struct LinearRange {
    DWORD minimum;
    DWORD firstSelector;
    DWORD lastSelector;
    DWORD step;

    constexpr DWORD Maximum() const { return minimum + (lastSelector - firstSelector) * step; }
    constexpr bool HoldsSelector(DWORD selector) const
    {
        return selector >= firstSelector && selector <= lastSelector;
    }
    constexpr bool HoldsVoltage(DWORD voltage) const { return voltage >= minimum && voltage <= Maximum(); }
    // The selector must lie in the range.
    constexpr DWORD Voltage(DWORD selector) const { return minimum + (selector - firstSelector) * step; }
    // The selector of the highest voltage at or below `voltage`, clamped to the range.
    constexpr DWORD SelectorAtOrBelow(DWORD voltage) const
    {
        if (voltage <= minimum)
            return firstSelector;
        if (voltage >= Maximum())
            return lastSelector;
        return firstSelector + (voltage - minimum) / step;
    }
    // The selector of the lowest voltage at or above `voltage`, clamped to the range.
    constexpr DWORD SelectorAtOrAbove(DWORD voltage) const
    {
        if (voltage <= minimum)
            return firstSelector;
        if (voltage >= Maximum())
            return lastSelector;
        return firstSelector + (voltage - minimum + step - 1) / step;
    }
};

// A rail's encoding as ranges in ascending voltage order, as the regulator core keeps them.
// The voltage of a selector; false when no range holds it.
bool RangesVoltage(std::span<const LinearRange> ranges, DWORD selector, DWORD* pVoltage);
// The selector of the lowest voltage at or above `voltage` (a request below the lowest range
// takes its first selector); false when `voltage` lies above every range.
bool RangesSelectorAtOrAbove(std::span<const LinearRange> ranges, DWORD voltage, DWORD* pSelector);

inline bool IsRailRecord(const char* name)
{
    return name != nullptr && name[0] != '\0';
}

// The index-th record of the table; null past the last.
template <typename Record>
const Record* RailAt(const Record* table, size_t index)
{
    for (size_t i = 0; IsRailRecord(table[i].name); ++i)
        if (i == index)
            return &table[i];
    return nullptr;
}

// The name of the index-th rail of the table; null past the last.
template <typename Record>
const char* RailNameAt(const Record* table, size_t index)
{
    const Record* rail = RailAt(table, index);
    return rail == nullptr ? nullptr : rail->name;
}

// The field of a register read through `source` from the device at `deviceAddress`; false
// when the register cannot be read.
bool ReadSourceField(RegisterSource& source, DWORD deviceAddress, const RegisterField& field, DWORD* pValue);

// Prints the names of the table on one line after a heading line.
template <typename Record>
void PrintRailNames(const Record* table, const char* heading)
{
    printf("%s\n", heading);
    for (const Record* rail = table; IsRailRecord(rail->name); ++rail)
        printf("%s, ", rail->name);
    printf("\n");
}

// The record named `name` (any case), or null after listing the valid names.
template <typename Record>
const Record* FindRail(const Record* table, const char* name)
{
    for (const Record* rail = table; IsRailRecord(rail->name); ++rail)
        if (stricmp(rail->name, name) == 0)
            return rail;
    PrintRailNames(table, "Valid Voltage names: ");
    return nullptr;
}

// The same, with the line the Maxim drivers add after the names.
template <typename Record>
const Record* FindRailReporting(const Record* table, const char* name)
{
    const Record* rail = FindRail(table, name);
    if (rail == nullptr)
        printf("Failed: Unable to find the PMU output [%s].\n", name);
    return rail;
}

// Millivolts as a rail line shows them: off the rail's step grid, the fractional part of
// the step is added back (a 12.5 mV rail stored as 1212 shows 1212.5).
inline double ShownMillivolts(DWORD millivolts, double stepMillivolts)
{
    if (modulus(millivolts, stepMillivolts) != 0)
        return millivolts + modulus(stepMillivolts, 1.0);
    return millivolts;
}
