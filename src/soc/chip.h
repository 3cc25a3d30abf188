// The SoC this runs on, identified once at start-up from its chip-ID register (bits 15:8 the
// chip ID, bits 7:4 the revision).
#pragma once

#include "common.h"
#include "soc/register_record.h"

// Chip IDs that choose defaults. 0x33 and 0x37 have no model name but carry Belk's parts.
enum ChipId : DWORD {
    kChipCorvSecondId = 0x13,
    kChipDern = 0x14,
    kChipAvin = 0x20,
    kChipBelk = 0x30,
    kChipUnnamed33 = 0x33,
    kChipCorv = 0x35,
    kChipUnnamed37 = 0x37,
};

struct Chip {
    DWORD id = 0;             // 0 until identified, or when the read failed
    DWORD minorRevision = 0;  // the revision field
};

void IdentifyRunningChip();
const Chip& RunningChip();

// The model name of a chip ID ("Belk"); null for an ID without one.
const char* ChipModelName(DWORD id);
// True for a model name of ChipModelName, in any case.
bool IsChipModelName(const char* name);
// The revision as -chip shows it in hexadecimal: 0xA01 for revision field 1 (A01).
DWORD ChipRevisionCode(const Chip& chip);
// A model and revision code as -chip shows them: "Belk (A01)".
std::string ShownChip(const char* model, DWORD revisionCode);

// The -chip line; 1 after printing UNKNOWN for an ID without a model name.
int PrintChipInfo();
// The chip-ID register, read again, with the model and revision it gives.
RegisterRecord RecordChipId();
