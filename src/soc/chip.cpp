#include "soc/chip.h"

#include <cstdio>

#include "bus/mem.h"

namespace {

const off_t kChipIdRegister = 0x70000804;

struct ChipName {
    DWORD id;
    const char* name;
};

const ChipName kChipNames[] = {
    {kChipAvin, "Avin"},
    {kChipBelk, "Belk"},
    {kChipCorv, "Corv"},
    {kChipCorvSecondId, "Corv"},
    {kChipDern, "Dern"},
};

Chip g_RunningChip;

// The letter of the revision, so that minor + major prints as A01, B02 ...
DWORD MajorRevision(const Chip& chip)
{
    return (chip.minorRevision + 9) << 8;
}

}  // namespace

void IdentifyRunningChip()
{
    DWORD value = 0;
    // A failed unmapping leaves the chip unknown (ID 0).
    if (ReadMemory(kChipIdRegister, 32, 0xFFFFFFFF, 0, &value) != 0)
        return;
    g_RunningChip.id = (value >> 8) & 0xFF;
    g_RunningChip.minorRevision = (value >> 4) & 0xF;
}

const Chip& RunningChip()
{
    return g_RunningChip;
}

int PrintChipInfo()
{
    const Chip& chip = RunningChip();
    for (const ChipName& model : kChipNames) {
        if (model.id == chip.id) {
            printf("%s (%X)\n", model.name, static_cast<unsigned>(chip.minorRevision + MajorRevision(chip)));
            return 0;
        }
    }
    printf("UNKNOWN");
    return 1;
}
