#include "soc/boardid.h"

#include <cctype>
#include <cstdio>

#include "bus/i2c.h"
#include "bus/i2c_device.h"

// Offsets 0 to 6 hold 16-bit fields stored low byte first, offset 8 the fab number,
// offset 9 the board revision letter, offsets 10 to 16 single-byte configuration codes.
namespace {

// One field of the record: its name as printed and its byte offset in the EEPROM.
struct BoardIdField {
    const char* name;
    DWORD offset;
};

const BoardIdField kBoardIdFields[] = {
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
};

bool IsWordField(const BoardIdField& field)
{
    return field.offset <= 6 && field.offset % 2 == 0;
}

// A byte that cannot be read counts as 0.
DWORD ReadByte(const I2cDevice& eeprom, DWORD offset)
{
    DWORD value = 0;
    DeviceRead(eeprom, offset, &value);
    return value;
}

void PrintField(const I2cDevice& eeprom, const BoardIdField& field)
{
    int offset = static_cast<int>(field.offset);
    if (IsWordField(field)) {
        DWORD loByte = ReadByte(eeprom, field.offset);
        DWORD hiByte = ReadByte(eeprom, field.offset + 1);
        DWORD value = hiByte * 256 + loByte;
        printf("[%2d:%2d] %-16s %04u [0x%.4X]\n", offset + 1, offset, field.name, value, value);
    } else if (field.offset == 8) {
        DWORD value = ReadByte(eeprom, field.offset);
        printf("[%2d:%2d] %-16s %03u  [0x%.2X]\n", offset, offset, field.name, value, value);
    } else if (field.offset == 9) {
        DWORD value = ReadByte(eeprom, field.offset);
        printf("[%2d:%2d] %-16s %-4c [0x%.2X]\n", offset, offset, field.name, static_cast<int>(value & 0xFF), value);
    } else {
        DWORD value = ReadByte(eeprom, field.offset);
        printf("[%2d:%2d] %-16s %-4u [0x%.2X]\n", offset, offset, field.name, value, value);
    }
}

}  // namespace

void ListBoardId(const I2cDevice& eeprom)
{
    // Each field opens and closes the bus on its own; with no device address nothing is read.
    if (eeprom.address == 0)
        return;
    for (const BoardIdField& field : kBoardIdFields) {
        if (DeviceOpen(eeprom) != 0)
            printf("Failed to open the i2c node @ %i and addr @ %X\n", static_cast<int>(eeprom.node), eeprom.address);
        else
            PrintField(eeprom, field);
        I2cClose();
    }
}

std::string BoardIdByteComment(const BYTE* record, DWORD offset)
{
    const BoardIdField* field = &kBoardIdFields[0];
    for (const BoardIdField& candidate : kBoardIdFields)
        if (candidate.offset <= offset)
            field = &candidate;
    std::string name = std::string("BOARDID ") + field->name;
    if (IsWordField(*field)) {
        unsigned value = record[field->offset] | record[field->offset + 1] << 8;
        return Printed("%s %s byte: %u", name.c_str(), offset == field->offset ? "low" : "high", value);
    }
    if (field->offset == 9 && isgraph(record[offset]))
        return Printed("%s: %c", name.c_str(), static_cast<char>(record[offset]));
    return Printed("%s: %u", name.c_str(), static_cast<unsigned>(record[offset]));
}
