#include "soc/fuse.h"

#include <cstdio>

#include "bus/mem.h"
#include "soc/chip.h"

namespace {

// MISC_CLK_ENB: bit 28 makes the fuse block visible to register reads.
const off_t kFuseVisibilityRegister = 0x60006048;
const DWORD kFuseVisible = 0x10000000;
const off_t kFuseBlock = 0x7000F800;

const int kSpeedoWord = 69;
const int kIddqWord = 70;

// Redundant fuse bits are programmed in pairs; a bit counts as set if either copy is.
DWORD FuseBit(const DWORD* fuses, int firstWord)
{
    return (fuses[firstWord] | fuses[firstWord + 1]) & 1;
}

// The IDDQ fuses are decoded on Belk only. False, with *printed the count of the
// message printed, when they cannot be read.
bool ReadIddqFuses(DWORD* fuses, int* printed)
{
    if (RunningChip().id != kChipBelk) {
        *printed = printf("Unsupported silicon!");
        return false;
    }
    if (!ReadFuseBlock(fuses)) {
        *printed = printf("Failed to enable fuse reads!");
        return false;
    }
    return true;
}

int PrintIddqG(DWORD value)
{
    return printf("    IDDQ-G    = %8d mA  (0x%04lX)\n", static_cast<int>(value), static_cast<unsigned long>(value));
}

int PrintIddqLP(DWORD value)
{
    return printf("    IDDQ-LP   = %8d mA  (0x%03lX)\n\n", static_cast<int>(value), static_cast<unsigned long>(value));
}

const char* Verdict(DWORD value, DWORD limit)
{
    return value < limit ? "PASS" : "FAIL";
}

}  // namespace

bool ReadFuseBlock(DWORD* fuses)
{
    DWORD readValue = 0;
    if (WriteMemory(kFuseVisibilityRegister, 32, kFuseVisible, kFuseVisible, &readValue) != 0)
        return false;
    ReadMemoryBlock(kFuseBlock, kFuseWords, fuses);
    return true;
}

DWORD FuseSpeedoG(const DWORD* fuses)
{
    return ((fuses[kSpeedoWord] >> 16) << 2) | (FuseBit(fuses, 205) << 1) | FuseBit(fuses, 203);
}

DWORD FuseSpeedoLP(const DWORD* fuses)
{
    return ((fuses[kSpeedoWord] & 0xFFFF) << 2) | (FuseBit(fuses, 209) << 1) | FuseBit(fuses, 207);
}

DWORD FuseIddqG(const DWORD* fuses)
{
    return ((fuses[kIddqWord] & 0x3FE0) >> 2) | (FuseBit(fuses, 215) << 2) | (FuseBit(fuses, 213) << 1) |
           FuseBit(fuses, 211);
}

DWORD FuseIddqLP(const DWORD* fuses)
{
    return ((fuses[kIddqWord] & 0x1F) << 4) | (FuseBit(fuses, 223) << 3) | (FuseBit(fuses, 221) << 2) |
           (FuseBit(fuses, 219) << 1) | FuseBit(fuses, 217);
}

int PrintFuseInfo()
{
    if (RunningChip().id != kChipBelk && RunningChip().id != kChipCorv)
        return printf("Unsupported silicon!");
    DWORD fuses[kFuseWords];
    bool read = ReadFuseBlock(fuses);
    // Corv's block is made visible and read, but its layout is not decoded.
    if (RunningChip().id == kChipCorv)
        return 0;
    if (!read)
        return printf("Failed to enable fuse reads!");
    DWORD speedoG = FuseSpeedoG(fuses);
    DWORD speedoLP = FuseSpeedoLP(fuses);
    printf("    Speedo-G  = %8d MHz (0x%05lX)\n", static_cast<int>(speedoG), static_cast<unsigned long>(speedoG));
    printf("    Speedo-LP = %8d MHz (0x%05lX)\n", static_cast<int>(speedoLP), static_cast<unsigned long>(speedoLP));
    PrintIddqG(FuseIddqG(fuses));
    return PrintIddqLP(FuseIddqLP(fuses));
}

int ShowIddqG()
{
    DWORD fuses[kFuseWords];
    int printed = 0;
    if (!ReadIddqFuses(fuses, &printed))
        return printed;
    return PrintIddqG(FuseIddqG(fuses));
}

int ShowIddqLP()
{
    DWORD fuses[kFuseWords];
    int printed = 0;
    if (!ReadIddqFuses(fuses, &printed))
        return printed;
    return PrintIddqLP(FuseIddqLP(fuses));
}

int VerifyIddqLimitG(DWORD limit)
{
    DWORD fuses[kFuseWords];
    int printed = 0;
    if (!ReadIddqFuses(fuses, &printed))
        return printed;
    DWORD value = FuseIddqG(fuses);
    return printf("    IDDQ-G    = %8d mA  (0x%04lX) *** %s ***\n", static_cast<int>(value),
                  static_cast<unsigned long>(value), Verdict(value, limit));
}

int VerifyIddqLimitLP(DWORD limit)
{
    DWORD fuses[kFuseWords];
    int printed = 0;
    if (!ReadIddqFuses(fuses, &printed))
        return printed;
    DWORD value = FuseIddqLP(fuses);
    return printf("    IDDQ-LP    = %8d mA  (0x%03lX) *** %s ***\n", static_cast<int>(value),
                  static_cast<unsigned long>(value), Verdict(value, limit));
}

namespace {

// A decoded value: its high bits in one word, its low bits in redundant pairs.
struct FuseField {
    const char* name;
    const char* unit;
    DWORD (*decode)(const DWORD* fuses);
    int word;
    int firstPairWord;
    int lastPairWord;

    bool ReadsWord(int index) const { return index == word || (index >= firstPairWord && index <= lastPairWord); }
};

const FuseField kFuseFields[] = {
    {"Speedo-G", "MHz", FuseSpeedoG, kSpeedoWord, 203, 206},
    {"Speedo-LP", "MHz", FuseSpeedoLP, kSpeedoWord, 207, 210},
    {"IDDQ-G", "mA", FuseIddqG, kIddqWord, 211, 216},
    {"IDDQ-LP", "mA", FuseIddqLP, kIddqWord, 217, 224},
};

// The fields a word feeds, each with its whole value; decoded on Belk only, as -fuse does.
std::vector<std::string> FuseReadings(const DWORD* fuses, int index)
{
    std::vector<std::string> readings;
    if (RunningChip().id != kChipBelk)
        return readings;
    for (const FuseField& field : kFuseFields)
        if (field.ReadsWord(index))
            readings.push_back(Printed("%s %u %s", field.name, static_cast<unsigned>(field.decode(fuses)), field.unit));
    return readings;
}

}  // namespace

std::vector<RegisterRecord> RecordFuses()
{
    if (RunningChip().id != kChipBelk && RunningChip().id != kChipCorv)
        return {};
    DWORD found = 0;
    DWORD stored = 0;
    ReadMemory(kFuseVisibilityRegister, 32, 0xFFFFFFFF, 0, &found);
    bool hidden = (found & kFuseVisible) == 0;
    if (hidden)
        WriteMemory(kFuseVisibilityRegister, 32, kFuseVisible, kFuseVisible, &stored);
    DWORD fuses[kFuseWords];
    ReadMemoryBlock(kFuseBlock, kFuseWords, fuses);
    if (hidden)
        WriteMemory(kFuseVisibilityRegister, 32, found, 0xFFFFFFFF, &stored);
    std::vector<RegisterRecord> records = {{static_cast<DWORD>(kFuseVisibilityRegister), found, "MISC_CLK_ENB"}};
    for (int i = 0; i < kFuseWords; ++i) {
        std::string name = Printed("FUSE_%d", i);
        records.push_back(
            {static_cast<DWORD>(kFuseBlock + 4 * i), fuses[i], RecordComment(name.c_str(), FuseReadings(fuses, i))});
    }
    return records;
}
