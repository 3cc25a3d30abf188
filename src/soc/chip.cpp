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

Chip ChipOf(DWORD chipIdRegister)
{
    return {(chipIdRegister >> 8) & 0xFF, (chipIdRegister >> 4) & 0xF};
}

const char* ModelName(const Chip& chip)
{
    for (const ChipName& model : kChipNames)
        if (model.id == chip.id)
            return model.name;
    return nullptr;
}

}  // namespace

void IdentifyRunningChip()
{
    DWORD value = 0;
    // A failed unmapping leaves the chip unknown (ID 0).
    if (ReadMemory(kChipIdRegister, 32, 0xFFFFFFFF, 0, &value) != 0)
        return;
    g_RunningChip = ChipOf(value);
}

const Chip& RunningChip()
{
    return g_RunningChip;
}

int PrintChipInfo()
{
    const Chip& chip = RunningChip();
    if (const char* name = ModelName(chip)) {
        printf("%s (%X)\n", name, static_cast<unsigned>(chip.minorRevision + MajorRevision(chip)));
        return 0;
    }
    printf("UNKNOWN");
    return 1;
}

RegisterRecord RecordChipId()
{
    DWORD value = 0;
    ReadMemory(kChipIdRegister, 32, 0xFFFFFFFF, 0, &value);
    Chip chip = ChipOf(value);
    const char* name = ModelName(chip);
    std::string model = name != nullptr ? name : Printed("ID 0x%02X", static_cast<unsigned>(chip.id));
    return {static_cast<DWORD>(kChipIdRegister), value,
            RecordComment("CHIP_ID", {Printed("%s (%X)", model.c_str(),
                                              static_cast<unsigned>(chip.minorRevision + MajorRevision(chip)))})};
}
