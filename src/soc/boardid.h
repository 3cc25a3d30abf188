// The board-identification EEPROM: a fixed record at the start of the part, read one
// byte at a time over I2C and listed field by field.
#pragma once

#include "bus/i2c_device.h"

// Prints every field of the record; a byte that cannot be read prints as 0.
void ListBoardId(const I2cDevice& eeprom);
