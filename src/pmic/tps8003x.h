// What the TPS80031 and TPS80032 drivers share: the twin chips have one register map,
// spread over two device addresses (0x12 and 0x48), one write encoding and one way of
// switching. Only the read-back of the 12.5 mV converters differs, and each chip's own
// module does that.
#pragma once

#include "common.h"

// The rail's registers, each a register word: device address in bits 31-16, register
// address in bits 15-0 (0x480054 is register 0x54 of device 0x48).
struct TPS_CTRL {
    DWORD trans;    // third register of the rail; not accessed
    DWORD state;    // bits 1-0: 0 off, anything else on
    DWORD voltage;  // bits 5-0: voltage selector
};

// Encoding groups (`type` of a rail record).
const DWORD kTpsSmps12mV5 = 0;  // converter, 12.5 mV steps
const DWORD kTpsLdo100mV = 1;   // LDO, 100 mV steps
const DWORD kTpsSmps38mV6 = 2;  // converter, 38.6 mV steps

// One rail record; each chip module names this layout after its chip.
struct TPS8003X {
    const char* name;
    DWORD id;
    DWORD type;
    TPS_CTRL ctrl;
    DWORD def_volt;
    DWORD def_onoff;
    double step_size;
    const char* desc;
};

// The rails of both chips, ended by a record with a null name.
extern const TPS8003X tps8003x_tab[];

int tps8003x_LookupVoltageIndex(const char* pName, DWORD* pIndex);
int tps8003x_SetVolt(const char* pName, DWORD volt);
int tps8003x_GetVoltOnOff(const char* pName, DWORD* pData);
int tps8003x_SetVoltOnOff(const char* pName, DWORD onOff);

// What a rail read needs from the bus: the rail's index, its voltage selector and its
// state field, read in that order. 1 for an unknown name.
int tps8003x_ReadRail(const char* pName, DWORD* pIndex, DWORD* pSelector, DWORD* pState);

// Prints the rail line: name, ON/OFF, millivolts with one decimal.
void tps8003x_PrintRailLine(const char* name, DWORD state, double millivolts);

// Selector -> millivolts as the TPS80031 reads every group.
DWORD tps8003x_SelectorToMillivolts(DWORD type, DWORD selector);
// Millivolts -> selector for both chips, clamped to the group's range.
DWORD tps8003x_MillivoltsToSelector(DWORD type, DWORD volt);
