// rigosim save: a whole board as one deterministic text that `rigosim load` reads back.
//
//     rigosim board
//     70000800: 00000000 00003010 00000000 00000000    memory, every 4 KiB page with a non-zero byte
//     i2c-0                                            every bus, in number order
//     i2c-4 0x2d 00: 00 00 ...                         its devices' registers, 16 per line
//     fault i2c nack bus=4 addr=0x2d                   the fault rules, in order
#pragma once

#include <string>

#include "board.h"

extern const char kSavedBoardHeader[];

std::string SavedBoard(const Board& board);

// Replaces the file only once the whole text is written, so it is never left half-written.
void WriteWholeFile(const std::string& path, const std::string& text);
