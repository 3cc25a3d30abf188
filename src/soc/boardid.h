// The board-identification EEPROM: a fixed record at the start of the part, read one
// byte at a time over I2C and listed field by field.
#pragma once

#include <string>

#include "bus/i2c_device.h"
#include "common.h"

// Prints every field of the record; a byte that cannot be read prints as 0.
void ListBoardId(const I2cDevice& eeprom);

// The record's length, and the name of the field byte `offset` of it belongs to with the
// field's value, as "BOARDID SKU low byte: 1000".
const DWORD kBoardIdBytes = 17;
std::string BoardIdByteComment(const BYTE* record, DWORD offset);
