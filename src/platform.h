// SoC identity and fuses.
#pragma once

#include "common.h"

int GetChipInfo();
int PrintChipInfo();

// The fuse block: 225 words from 0x7000F800, decoded into the speedo and IDDQ values.
const int kFuseWords = 225;
DWORD FuseSpeedoG(const DWORD* fuses);
DWORD FuseSpeedoLP(const DWORD* fuses);
DWORD FuseIddqG(const DWORD* fuses);
DWORD FuseIddqLP(const DWORD* fuses);

int PrintFuseInfo();
int ShowIddqG();
int ShowIddqLP();
int VerifyIddqLimitG(DWORD limit);
int VerifyIddqLimitLP(DWORD limit);
