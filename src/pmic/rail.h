// Rail tables: constant arrays of records searched by name, each ended by a record whose
// name is null (or empty in the tables that end that way).
#pragma once

#include <cstddef>
#include <cstdio>

#include "common.h"

inline bool IsRailRecord(const char* name)
{
    return name != nullptr && name[0] != '\0';
}

// The name of the index-th rail of the table; null past the last.
template <typename Record>
const char* RailNameAt(const Record* table, size_t index)
{
    for (size_t i = 0; IsRailRecord(table[i].name); ++i)
        if (i == index)
            return table[i].name;
    return nullptr;
}

// Prints the names of the table on one line after a heading line.
template <typename Record>
void PrintRailNames(const Record* table, const char* heading)
{
    printf("%s\n", heading);
    for (const Record* rail = table; IsRailRecord(rail->name); ++rail)
        printf("%s, ", rail->name);
    printf("\n");
}

// Finds pName (any case); 0 with its position in *pIndex, else lists the valid names and
// returns notFound. A null pIndex gives 1.
template <typename Record>
int LookupRail(const Record* table, const char* pName, DWORD* pIndex, int notFound)
{
    if (pIndex == nullptr)
        return 1;
    *pIndex = 0;
    for (const Record* rail = table; IsRailRecord(rail->name); ++rail, ++*pIndex)
        if (stricmp(rail->name, pName) == 0)
            return 0;
    PrintRailNames(table, "Valid Voltage names: ");
    return notFound;
}

// Millivolts as a rail line shows them: off the rail's step grid, the fractional part of
// the step is added back (a 12.5 mV rail stored as 1212 shows 1212.5).
inline double ShownMillivolts(DWORD volt, double stepSize)
{
    if (modulus(volt, stepSize) != 0)
        return volt + modulus(stepSize, 1.0);
    return volt;
}

// Prints the rail line of every rail in table order, whatever each read reports.
template <typename Record, typename Volt>
void ListRails(const Record* table, int (*getVolt)(const char*, Volt*))
{
    Volt volt = 0;
    for (const Record* rail = table; IsRailRecord(rail->name); ++rail)
        getVolt(rail->name, &volt);
}
