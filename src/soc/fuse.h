// The fuse block: speedo and IDDQ values, and the IDDQ limit test.
#pragma once

#include <vector>

#include "common.h"
#include "soc/register_record.h"

// 225 words from 0x7000F800, visible while bit 28 of MISC_CLK_ENB is set.
const int kFuseWords = 225;
// Sets the visibility bit and reads the block; false when the enable write failed.
bool ReadFuseBlock(DWORD* fuses);
DWORD FuseSpeedoG(const DWORD* fuses);
DWORD FuseSpeedoLP(const DWORD* fuses);
DWORD FuseIddqG(const DWORD* fuses);
DWORD FuseIddqLP(const DWORD* fuses);

// Each returns what printf returned for its last line.
int PrintFuseInfo();
int ShowIddqG();
int ShowIddqLP();
int VerifyIddqLimitG(DWORD limit);
int VerifyIddqLimitLP(DWORD limit);
// MISC_CLK_ENB as found, then every fuse word, read with the visibility bit set; the
// register gets its value back when the bit had to be set. Empty on chips without the block.
std::vector<RegisterRecord> RecordFuses();
