// rigosim load: puts what dumps of a real board show into a simulated board. Every file is
// read and checked before anything is written, so a bad line leaves the board untouched.
#pragma once

#include <string>
#include <vector>

#include "board.h"

// The words after `rigosim load BOARD`: files, each optionally preceded by
//   --device BUS ADDR   the file holds one device's registers (i2cdump output, or --raw)
//   --at ADDRESS        the file holds memory from ADDRESS on (busybox devmem output, or --raw)
//   --raw               the file is a binary image
// Throws std::runtime_error with every bad line named as FILE:LINE.
void LoadFiles(Board& board, const std::vector<std::string>& args);
