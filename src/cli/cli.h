// The command layer: the entry point, the help and the exits, and the handlers of the
// commands that are not regulator commands.
#pragma once

#include <cstdio>
#include <initializer_list>

#include "bus/i2c_device.h"
#include "common.h"

// The whole program after process start; main() returns what it returns.
int RigoMain(int argc, char** argv);

void ShowVersion();
[[noreturn]] void ExitShowHelp(int exitCode);
[[noreturn]] void ExitShowMessage(const char* message, int exitCode);
// The help of a command that the fixed help text does not hold, boxed as its sections
// are: one content line per entry, indented by the caller; an empty entry is a separator.
void PrintCommandHelp(FILE* stream, const char* title, std::initializer_list<const char*> lines);
// The help of a command that prints its own: with -h or --help alone after the keyword, on
// standard output, and true (the command is done); when its arguments do not fit, on
// standard error, and the run ends with status 2.
bool HelpAnswered(int argc, char** argv, bool argumentsFit, void (*printHelp)(FILE* stream));

// Memory commands; bits is the access width.
void ReadMemoryCommand(int argc, char** argv, int bits);
void WriteMemoryCommand(int argc, char** argv, int bits);
void DumpMemoryCommand(int argc, char** argv);

// Raw I2C commands.
void I2cCommand(int argc, char** argv);
void I2c16Command(int argc, char** argv);

// The margining DACs, and where the running chip's boards have theirs (address 0: none).
void MarginDacCommand(int argc, char** argv);
I2cDevice DefaultMarginDac();

// Clocks and board ID.
void PllCommand(int argc, char** argv);
void FrequencyCommand(int argc, char** argv);
void BoardIdCommand(int argc, char** argv);

// -check PLAN: the board against a plan of expectations, as KTAP; exits 1 when one fails
// and 2 when the plan cannot be read.
void CheckCommand(int argc, char** argv);
// Snapshots of the board's registers, and their comparison.
void SnapshotCommand(int argc, char** argv);
void DiffCommand(int argc, char** argv);
