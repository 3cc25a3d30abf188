// Rail lookups that hand the record on, over the rail tables of pmic/rail.h.
#pragma once

#include <cstdio>

#include "pmic/rail.h"

// The record named pName (any case), or null after listing the valid names.
template <typename Record>
const Record* FindRailListing(const Record* table, const char* pName)
{
    DWORD index = 0;
    return LookupRail(table, pName, &index, 1) == 0 ? &table[index] : nullptr;
}

// The same, with the line the Maxim drivers add after the names.
template <typename Record>
const Record* FindRailReporting(const Record* table, const char* pName)
{
    const Record* rail = FindRailListing(table, pName);
    if (rail == nullptr)
        printf("Failed: Unable to find the PMU output [%s].\n", pName);
    return rail;
}
