// Reading the text files of the lab commands (snapshots, masks, plans): the words of a line
// and the whole numbers in them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common.h"

// The blank-separated words of a line, up to a '#' that starts its comment.
std::vector<std::string> LineWords(std::string_view line);
// The whole word as a number, decimal or hexadecimal with 0x, no greater than `maximum`.
bool WholeNumber(const std::string& word, DWORD maximum, DWORD* value);
