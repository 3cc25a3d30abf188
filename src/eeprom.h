// The board-identification EEPROM: a fixed record at the start of the part, read one
// byte at a time over I2C and listed field by field.
#pragma once

#include "common.h"

// One field of the record: its name as printed and its byte offset in the EEPROM.
struct BOARDID {
    const char* name;
    DWORD id;
};

// The record's fields in EEPROM order, ended by an entry whose name is null.
extern const BOARDID board_tab[];

// 7-bit device address of the EEPROM; 0 while none is set.
extern DWORD g_EepromAddr;

// Stores the bus and device address; touches no hardware. Returns 0.
int InitEeprom(DWORD i2cNode, DWORD deviceAddress);
// 0 and the field's position in board_tab; 1 (after listing the valid names) when unknown.
int LookupBoardDescIndex(const char* boardDesc, DWORD* pIndex);
// Reads and prints one field. 0 when handled (also when the bus did not open),
// 1 when no device address is set, 2 for an unknown field name.
int ReadEeprom(const char* boardDesc);
// Prints every field in table order. Returns 0.
int ListEeprom();
