// A 32-bit SoC register as a snapshot keeps it: where it is, what it held, and its name
// with what it decodes to, as "NAME" or "NAME: READING; READING".
#pragma once

#include <string>
#include <vector>

#include "common.h"

struct RegisterRecord {
    DWORD address;
    DWORD value;
    std::string comment;
};

// The items joined by "; ", as a snapshot comment lists readings.
std::string Joined(const std::vector<std::string>& items);
// "NAME" alone, or "NAME: " and the readings joined.
std::string RecordComment(const char* name, const std::vector<std::string>& readings);
