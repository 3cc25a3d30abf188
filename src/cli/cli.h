// The command layer: the entry point, the help and the exits, and the handlers of the
// commands that are not regulator commands.
#pragma once

#include "common.h"

// The whole program after process start; main() returns what it returns.
int RigoMain(int argc, char** argv);

void ShowVersion();
void ShowHelp();
[[noreturn]] void ExitShowHelp(int exitCode);
[[noreturn]] void ExitShowMessage(const char* message, int exitCode);

// Memory commands.
void MEM_Read(int argc, char** argv, int size);
void MEM_Write(int argc, char** argv, int size);
void MemoryDump(int argc, char** argv);

// Raw I2C commands.
void I2C(int argc, char** argv);
void I2C16(int argc, char** argv);
int split_into_bytes(const char* src, char** dest);

// The margining DACs.
void MarginDacCommand(int argc, char** argv);

// Clocks and board ID.
void GetPLL(int argc, char** argv);
void GetFrequency(int argc, char** argv);
void BoardID(int argc, char** argv);
