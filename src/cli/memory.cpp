#include <cstdio>
#include <cstdlib>
#include <memory>

#include "cli/cli.h"
#include "bus/mem.h"

namespace {

// A dump prints one line per word; a million lines covers any register block and
// keeps the buffer bounded whatever count is typed.
const int kMaxDumpWords = 0x100000;

}  // namespace

void ReadMemoryCommand(int argc, char** argv, int bits)
{
    if (argc <= 2)
        ExitShowHelp(1);
    DWORD mask = 0xFFFFFFFF;
    int bitshift = 0;
    if (argc >= 4) {
        mask = ParseNumber(argv[3]);
        if (argc >= 5 && (argv[4][0] == 'S' || argv[4][0] == 's'))
            bitshift = 1;
    }
    DWORD value = 0;
    int status = ReadMemory(PhysicalAddress(ParseNumber(argv[2])), bits, mask, bitshift, &value);
    if (status != 0) {
        printf("Error: Unable to read from the supplied memory location [%i]!\n", status);
        return;
    }
    printf(bits == 8 ? "0x%08lX --> 0x%02lX\n" : bits == 16 ? "0x%08lX --> 0x%04lX\n" : "0x%08lX --> 0x%08lX\n",
           static_cast<unsigned long>(ParseNumber(argv[2])), static_cast<unsigned long>(value));
}

void WriteMemoryCommand(int argc, char** argv, int bits)
{
    if (argc <= 3)
        ExitShowHelp(1);
    DWORD value = ParseNumber(argv[3]);
    DWORD mask = argc >= 5 ? ParseNumber(argv[4]) : 0xFFFFFFFF;
    DWORD address = ParseNumber(argv[2]);
    DWORD readValue = 0;
    int status = WriteMemory(PhysicalAddress(address), bits, value, mask, &readValue);
    if (status != 0) {
        printf("Error: Unable to write to the supplied memory location [%i]!\n", status);
        return;
    }
    if (((readValue ^ value) & mask) != 0) {
        printf("Error: Write Mismatch [Expected: 0x%08lX, Actual: 0x%08lX\n", static_cast<unsigned long>(value & mask),
               static_cast<unsigned long>(readValue));
        return;
    }
    printf(bits == 8 ? "0x%08lX <-- 0x%02lX\n" : bits == 16 ? "0x%08lX <-- 0x%04lX\n" : "0x%08lX <-- 0x%08lX\n",
           static_cast<unsigned long>(address), static_cast<unsigned long>(value));
}

void DumpMemoryCommand(int argc, char** argv)
{
    if (argc != 4)
        ExitShowHelp(1);
    int count = static_cast<int>(ParseNumber(argv[3]));
    DWORD base = ParseNumber(argv[2]);
    if (count > kMaxDumpWords)
        ExitShowMessage("Error: At most 1048576 DWORD values can be dumped at once.", 1);
    if (count > 0 && base + 4ull * static_cast<unsigned>(count) > 0x100000000ull)
        ExitShowMessage("Error: The dump runs past the end of the 32-bit physical address space.", 1);
    // Freed also when a failed mapping or a bus fault ends the command.
    std::unique_ptr<DWORD, decltype(&free)> buffer(static_cast<DWORD*>(malloc(sizeof(DWORD) * (count > 0 ? count : 1))),
                                                   free);
    if (buffer == nullptr) {
        perror("malloc");
        exit(1);
    }
    ReadMemoryBlock(PhysicalAddress(base), count, buffer.get());
    for (int i = 0; i < count; ++i)
        printf("0x%08lX --> 0x%08lX\n", static_cast<unsigned long>(base + 4u * i),
               static_cast<unsigned long>(buffer.get()[i]));
}
