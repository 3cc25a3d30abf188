#include "platform.h"

#include <cstdio>

#include "main.h"
#include "mem.h"

namespace {

const off_t kChipIdRegister = 0x70000804;

struct ChipModel {
    DWORD id;
    const char* name;
};

const ChipModel kChipModels[] = {
    {0x20, "Avin"},
    {0x30, "Belk"},
    {0x35, "Corv"},
    {0x13, "Corv"},
    {0x14, "Dern"},
};

}  // namespace

int GetChipInfo()
{
    DWORD value = 0;
    if (ReadMemory(kChipIdRegister, 32, 0xFFFFFFFF, 0, &value) != 0)
        return 0;
    g_ChipVersion = (value >> 8) & 0xFF;
    g_ChipMinorRevision = (value >> 4) & 0xF;
    g_ChipMajorRevision = (g_ChipMinorRevision + 9) << 8;
    return 0;
}

int PrintChipInfo()
{
    for (const ChipModel& model : kChipModels) {
        if (model.id == g_ChipVersion) {
            printf("%s (%X)\n", model.name, static_cast<unsigned>(g_ChipMinorRevision + g_ChipMajorRevision));
            return 0;
        }
    }
    printf("UNKNOWN");
    return 1;
}
