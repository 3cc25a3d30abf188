#include "eeprom.h"

#include <cstdio>

#include "i2c.h"

// Offsets 0 to 6 hold 16-bit fields stored low byte first, offset 8 the fab number,
// offset 9 the board revision letter, offsets 10 to 16 single-byte configuration codes.
const BOARDID board_tab[] = {
    {"HDR_VER", 0},
    {"HDR_SIZE", 2},
    {"ID", 4},
    {"SKU", 6},
    {"FAB", 8},
    {"REV", 9},
    {"MinorREV", 10},
    {"Mem Type", 11},
    {"Power Cfg", 12},
    {"Misc Cfg", 13},
    {"Modem Bands", 14},
    {"Touchscreen Cfg", 15},
    {"Display Cfg", 16},
    {nullptr, 0},
};

DWORD g_EepromAddr = 0;

namespace {

// A byte that cannot be read counts as 0.
DWORD ReadByte(DWORD offset)
{
    DWORD value = 0;
    I2cRead(g_EepromAddr, offset, &value, static_cast<BYTE>(g_AddrBitWidth), static_cast<BYTE>(g_DataBitWidth));
    return value;
}

void PrintField(const BOARDID& field)
{
    int id = static_cast<int>(field.id);
    if (field.id <= 6 && field.id % 2 == 0) {
        DWORD loByte = ReadByte(field.id);
        DWORD hiByte = ReadByte(field.id + 1);
        DWORD value = hiByte * 256 + loByte;
        printf("[%2d:%2d] %-16s %04u [0x%.4X]\n", id + 1, id, field.name, value, value);
    } else if (field.id == 8) {
        DWORD value = ReadByte(field.id);
        printf("[%2d:%2d] %-16s %03u  [0x%.2X]\n", id, id, field.name, value, value);
    } else if (field.id == 9) {
        DWORD value = ReadByte(field.id);
        printf("[%2d:%2d] %-16s %-4c [0x%.2X]\n", id, id, field.name, static_cast<int>(value & 0xFF), value);
    } else if (field.id >= 10 && field.id <= 16) {
        DWORD value = ReadByte(field.id);
        printf("[%2d:%2d] %-16s %-4u [0x%.2X]\n", id, id, field.name, value, value);
    }
}

}  // namespace

int InitEeprom(DWORD i2cNode, DWORD deviceAddress)
{
    g_Instance = i2cNode;
    g_EepromAddr = deviceAddress;
    g_AddrBitWidth = 8;
    g_DataBitWidth = 8;
    return 0;
}

int LookupBoardDescIndex(const char* boardDesc, DWORD* pIndex)
{
    if (pIndex == nullptr)
        return 1;
    for (*pIndex = 0; board_tab[*pIndex].name != nullptr; ++*pIndex)
        if (stricmp(boardDesc, board_tab[*pIndex].name) == 0)
            return 0;
    printf("Valid board descriptions: \n");
    for (const BOARDID* field = board_tab; field->name != nullptr; ++field)
        printf("%s, ", field->name);
    printf("\n");
    return 1;
}

int ReadEeprom(const char* boardDesc)
{
    if (g_EepromAddr == 0)
        return 1;
    DWORD index = 0;
    if (LookupBoardDescIndex(boardDesc, &index) != 0)
        return 2;
    if (I2cOpen(static_cast<BYTE>(g_Instance)) != 0)
        printf("Failed to open the i2c node @ %i and addr @ %X\n", static_cast<int>(g_Instance), g_EepromAddr);
    else
        PrintField(board_tab[index]);
    I2cClose();
    return 0;
}

int ListEeprom()
{
    for (const BOARDID* field = board_tab; field->name != nullptr; ++field)
        ReadEeprom(field->name);
    return 0;
}
