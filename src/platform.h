// SoC identity and fuses.
#pragma once

#include "common.h"

int GetChipInfo();
int PrintChipInfo();

int PrintFuseInfo();
int ShowIddqG();
int ShowIddqLP();
int VerifyIddqLimitG(DWORD limit);
int VerifyIddqLimitLP(DWORD limit);
