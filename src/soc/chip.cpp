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

Chip ChipOf(DWORD chipIdRegister)
{
    return {(chipIdRegister >> 8) & 0xFF, (chipIdRegister >> 4) & 0xF};
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

const char* ChipModelName(DWORD id)
{
    for (const ChipName& model : kChipNames)
        if (model.id == id)
            return model.name;
    return nullptr;
}

bool IsChipModelName(const char* name)
{
    for (const ChipName& model : kChipNames)
        if (stricmp(model.name, name) == 0)
            return true;
    return false;
}

DWORD ChipRevisionCode(const Chip& chip)
{
    // The letter of the revision (major) goes above the minor digits: A01, B02 ...
    return ((chip.minorRevision + 9) << 8) + chip.minorRevision;
}

std::string ShownChip(const char* model, DWORD revisionCode)
{
    return Printed("%s (%X)", model, static_cast<unsigned>(revisionCode));
}

int PrintChipInfo()
{
    const Chip& chip = RunningChip();
    const char* model = ChipModelName(chip.id);
    if (model == nullptr) {
        printf("UNKNOWN");
        return 1;
    }
    printf("%s\n", ShownChip(model, ChipRevisionCode(chip)).c_str());
    return 0;
}

RegisterRecord RecordChipId()
{
    DWORD value = 0;
    ReadMemory(kChipIdRegister, 32, 0xFFFFFFFF, 0, &value);
    Chip chip = ChipOf(value);
    const char* name = ChipModelName(chip.id);
    std::string model = name != nullptr ? name : Printed("ID 0x%02X", static_cast<unsigned>(chip.id));
    return {static_cast<DWORD>(kChipIdRegister), value,
            RecordComment("CHIP_ID", {ShownChip(model.c_str(), ChipRevisionCode(chip))})};
}
