// Power-on state of the reference boards, one fragment per chip or SoC block in
// sim/reference/<name>.cpp. `rigosim create` runs every fragment with the chip ID:
//
//     RIGOSIM_REFERENCE(tps65911)
//     {
//         if (chipId != 0x30)
//             return;
//         board.SetRegisters(4, 0x2d, 0x20, {0x05, 0x01, 0x33});
//     }
#pragma once

#include <cstdint>
#include <initializer_list>

#include "board.h"

typedef void (*ReferenceFragment)(Board& board, uint32_t chipId);

struct ReferenceRegistration {
    ReferenceRegistration(const char* name, ReferenceFragment fragment);
};

// One register of a device and its power-on value.
struct RegisterByte {
    uint8_t reg;
    uint8_t value;
};

// Sets registers of one device that do not lie in one run.
void SetRegisterList(Board& board, int bus, int address, std::initializer_list<RegisterByte> registers);

// Runs every registered fragment, in the order of their names.
void RunReferenceFragments(Board& board, uint32_t chipId);

#define RIGOSIM_REFERENCE(name)                                                        \
    static void name(Board& board, uint32_t chipId);                                   \
    static const ReferenceRegistration name##_registration(#name, name);               \
    static void name([[maybe_unused]] Board& board, [[maybe_unused]] uint32_t chipId)
