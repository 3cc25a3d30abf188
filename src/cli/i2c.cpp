#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bus/i2c.h"
#include "cli/cli.h"

namespace {

// Raw access always uses one register-address byte.
const BYTE kOffsetBits = 8;

// Bus, device and register as typed after the keyword.
struct RawTarget {
    DWORD bus;
    DWORD device;
    DWORD offset;
};

RawTarget ParseTarget(char** argv)
{
    return {ParseNumber(argv[2]), ParseNumber(argv[3]), ParseNumber(argv[4])};
}

void OpenBus(const RawTarget& target)
{
    if (I2cOpen(static_cast<BYTE>(target.bus)) != 0) {
        printf("Error: Unable to open /dev/I2C-%d node.\n", static_cast<int>(target.bus));
        exit(1);
    }
}

void PrintRead(const RawTarget& target, BYTE dataBits, DWORD value)
{
    printf(dataBits == 16 ? "[/dev/i2c-%d, Addr: 0x%X, Offset: 0x%X] --> 0x%04X\n"
                          : "[/dev/i2c-%d, Addr: 0x%X, Offset: 0x%X] --> 0x%02X\n",
           static_cast<int>(target.bus), target.device, target.offset, value);
}

void PrintWrite(const RawTarget& target, BYTE dataBits, DWORD value)
{
    printf(dataBits == 16 ? "[/dev/i2c-%d, Addr: 0x%X, Offset: 0x%X] <-- 0x%04X\n"
                          : "[/dev/i2c-%d, Addr: 0x%X, Offset: 0x%X] <-- 0x%02X\n",
           static_cast<int>(target.bus), target.device, target.offset, value);
}

// argc 5 reads the register; argc 6 writes argv[5] and reads it back.
void SingleAccess(int argc, char** argv, BYTE dataBits)
{
    RawTarget target = ParseTarget(argv);
    OpenBus(target);
    DWORD value = 0;
    if (argc == 5) {
        if (I2cRead(target.device, target.offset, &value, kOffsetBits, dataBits) != 0)
            ExitShowMessage("Error: Unable to read I2C device.\n", 1);
    } else {
        DWORD written = ParseNumber(argv[5]);
        if (I2cWrite(target.device, target.offset, written, kOffsetBits, dataBits) != 0)
            ExitShowMessage("Error: Unable to write I2C device.\n", 1);
        PrintWrite(target, dataBits, written);
        if (I2cRead(target.device, target.offset, &value, kOffsetBits, dataBits) != 0)
            ExitShowMessage("Error: Write operation successful, but unable to read back to verify.", 1);
    }
    PrintRead(target, dataBits, value);
    I2cClose();
}

// One line, highest register first, so a run reads as one number whose least
// significant byte sits at the initial offset. Unreadable bytes show as "??".
void PrintRun(const RawTarget& target, int count)
{
    printf("[/dev/i2c-%d, Addr: 0x%X, Initial Offset: 0x%X] --> 0x", static_cast<int>(target.bus), target.device,
           target.offset);
    for (int left = count; left > 0; --left) {
        DWORD value = 0;
        if (I2cRead(target.device, target.offset + static_cast<DWORD>(left - 1), &value, kOffsetBits, 8) == 0)
            printf("%02X", value);
        else
            printf("??");
    }
    printf("\n");
}

void RunRead(const RawTarget& target, int count)
{
    OpenBus(target);
    PrintRun(target, count);
    I2cClose();
}

// Rewrites a hex digit string (with or without 0x) as "0xHH " tokens, two digits each, into
// out, which holds 5 bytes per pair plus one; returns the count of tokens.
int SplitIntoBytes(const char* digits, char* out)
{
    if (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits += 2;
    int count = static_cast<int>((strlen(digits) + 1) / 2);
    for (int i = 0; i < count; ++i, out += 5) {
        out[0] = '0';
        out[1] = 'x';
        memcpy(out + 2, digits + 2 * i, 2);
        out[4] = ' ';
    }
    *out = '\0';
    return count;
}

// The byte string is a number: its first byte goes to the highest register, its last
// to the initial offset. Bytes written before a failure stay written.
void RunWrite(const RawTarget& target, const char* bytes)
{
    size_t length = strlen(bytes);
    if (length % 2 != 0)
        ExitShowMessage("Error: You must define the value to write as sets of bytes", 1);
    OpenBus(target);
    char* buffer = static_cast<char*>(malloc(5 * length + 1));
    if (buffer == nullptr) {
        perror("malloc");
        exit(1);
    }
    int count = SplitIntoBytes(bytes, buffer);
    printf("[/dev/i2c-%d, Addr: 0x%X, Initial Offset: 0x%X] <-- %s\n", static_cast<int>(target.bus), target.device,
           target.offset, bytes);
    int k = 0;
    for (char* token = strtok(buffer, " "); token != nullptr; token = strtok(nullptr, " "), ++k) {
        DWORD offset = target.offset + static_cast<DWORD>(count - 1 - k);
        if (I2cWrite(target.device, offset, ParseNumber(token), kOffsetBits, 8) != 0) {
            printf("Error: Unable to write I2C device at [/dev/i2c-%d, Addr: 0x%X, Offset: 0x%X] <-- %s\n",
                   static_cast<int>(target.bus), target.device, offset, token);
            exit(1);
        }
    }
    free(buffer);
    PrintRun(target, count);
    I2cClose();
}

}  // namespace

void I2cCommand(int argc, char** argv)
{
    if (argc == 5 || argc == 6) {
        SingleAccess(argc, argv, 8);
    } else if (argc == 7 && stricmp(argv[5], "RD") == 0) {
        RunRead(ParseTarget(argv), static_cast<int>(ParseNumber(argv[6])));
    } else if (argc == 7 && stricmp(argv[5], "WR") == 0) {
        RunWrite(ParseTarget(argv), argv[6]);
    } else {
        ExitShowHelp(1);
    }
}

void I2c16Command(int argc, char** argv)
{
    if (argc != 5 && argc != 6)
        ExitShowHelp(1);
    SingleAccess(argc, argv, 16);
}
