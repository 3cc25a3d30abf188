// The command-line front end: dispatcher, help and exits, the chip and board
// globals, and every command handler.
#pragma once

#include "common.h"

extern DWORD g_ChipVersion;
extern DWORD g_ChipMajorRevision;
extern DWORD g_ChipMinorRevision;
extern DWORD g_Platform;

// The whole program after process start; main() returns what it returns.
int RigoMain(int argc, char** argv);

void ShowVersion();
void ShowHelp();
[[noreturn]] void ExitShowHelp(int exitCode);
[[noreturn]] void ExitShowMessage(const char* message, int exitCode);

int IdentifyPlatform(const char* board);

// Memory commands.
void MEM_Read(int argc, char** argv, int size);
void MEM_Write(int argc, char** argv, int size);
void MemoryDump(int argc, char** argv);

// Raw I2C commands.
void I2C(int argc, char** argv);
void I2C16(int argc, char** argv);
int split_into_bytes(const char* src, char** dest);

// Regulator commands.
void PmuAS3720(int argc, char** argv);
void PmuLP8755(int argc, char** argv);
void PmuTPS51632(int argc, char** argv);
void PmuTPS62361(int argc, char** argv);
void PmuTPS62365(int argc, char** argv);
void PmuTPS62366(int argc, char** argv);
void PmuTPS65911(int argc, char** argv);
void PmuTPS65913(int argc, char** argv);
void PmuTPS80031(int argc, char** argv);
void PmuTPS80032(int argc, char** argv);
void PmuTPS80036(int argc, char** argv);
void PmuMaxDS4422N(int argc, char** argv);
void PmuMaxDS4422N_Corv(int argc, char** argv);
void PmuMax77660(int argc, char** argv);
void PmuMax77663(int argc, char** argv);

// Clocks, memory controller and board ID.
void GetPLL(int argc, char** argv);
void GetFrequency(int argc, char** argv);
int DvfsTable();
void BoardID(int argc, char** argv);
