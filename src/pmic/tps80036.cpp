#include "pmic/tps80036.h"

#include <cstdio>

#include "bus/i2c.h"
#include "bus/i2c_device.h"
#include "pmic/rail.h"

const TPS80036 tps80036_tab[] = {
    // name      id  type           ctrl  volt  force min   max   step
    {"SMPS12",   0, TPS80036_SMPS, 0x20, 0x23, 0x22, 500, 1650, 10},
    {"SMPS3",    1, TPS80036_SMPS, 0x24, 0x27, 0x26, 500, 1650, 10},
    {"SMPS6",    2, TPS80036_SMPS, 0x2C, 0x2F, 0x2E, 500, 1650, 10},
    {"SMPS7",    3, TPS80036_SMPS, 0x30, 0x33, 0,    500, 1650, 10},
    {"SMPS8",    4, TPS80036_SMPS, 0x34, 0x37, 0x36, 500, 1650, 10},
    {"SMPS9",    5, TPS80036_SMPS, 0x38, 0x3B, 0,    500, 1650, 10},
    {"LDO1",     0, TPS80036_LDO,  0x50, 0x51, 0,    900, 3300, 50},
    {"LDO2",     1, TPS80036_LDO,  0x52, 0x53, 0,    900, 3300, 50},
    {"LDO3",     2, TPS80036_LDO,  0x54, 0x55, 0,    900, 3300, 50},
    {"LDO4",     3, TPS80036_LDO,  0x56, 0x57, 0,    900, 3300, 50},
    {"LDO5",     4, TPS80036_LDO,  0x58, 0x59, 0,    900, 3300, 50},
    {"LDO6",     5, TPS80036_LDO,  0x5A, 0x5B, 0,    900, 3300, 50},
    {"LDO7",     6, TPS80036_LDO,  0x5C, 0x5D, 0,    900, 3300, 50},
    {"LDO8",     7, TPS80036_LDO,  0x5E, 0x5F, 0,    900, 3300, 50},
    {"LDO9",     8, TPS80036_LDO,  0x60, 0x61, 0,    900, 3300, 50},
    {"LDO10",   11, TPS80036_LDO,  0x66, 0x67, 0,    900, 3300, 50},
    {"LDO11",   12, TPS80036_LDO,  0x68, 0x69, 0,    900, 3300, 50},
    {"LDO12",   13, TPS80036_LDO,  0x6F, 0x70, 0,    900, 3300, 50},
    {"LDO13",   14, TPS80036_LDO,  0x71, 0x72, 0,    900, 3300, 50},
    {"LDO14",   15, TPS80036_LDO,  0x73, 0x74, 0,    900, 3300, 50},
    {"LDOLN",    9, TPS80036_LDO,  0x62, 0x63, 0,    900, 3300, 50},
    {"LDOUSB",  10, TPS80036_LDO,  0x64, 0x65, 0,    900, 3300, 50},
    {nullptr,    0, 0,             0,    0,    0,    0,   0,    0},
};

namespace {

const char kUnknownWord[] = "UNKNOWN   ";

// Converter voltage register: range flag doubling the output, 7-bit selector.
const DWORD kSmpsRangeFlag = 0x80;
const DWORD kSmpsSelectorMask = 0x7F;
const DWORD kSmpsModeShift = 4;  // current mode in control bits 5-4

// LDO control: state shown in bit 4, enable written in bit 0.
const DWORD kLdoStateBit = 0x10;

// Register 0x6A bit 3 halves the LDO outputs.
const DWORD kLdoHalvingReg = 0x6A;
const DWORD kLdoHalvingFlag = 0x08;

// LDO7 can reach 5.0 V on its top selector; every other selector saturates at 3.3 V.
const DWORD kLdo7Id = 6;
const DWORD kLdo7HighSelector = 0x3F;

// Finds the rail and opens the bus; 0, or 1 when either fails (a failed open says so).
int OpenRail(const char* pName, DWORD* pIndex)
{
    if (tps80036_LookupVoltageIndex(pName, pIndex) != 0)
        return 1;
    if (PmuOpen() != 0) {
        puts("Failed to open the I2C device!");
        I2cClose();
        return 1;
    }
    return 0;
}

void PrintRailLine(const char* name, const char* word, double millivolts)
{
    printf("%-12s %-8s %6.1fmV\n", name, word, millivolts);
}

// Reads a converter's mode and voltage; false, leaving both, when a register cannot be read.
bool ReadSmps(const TPS80036& rail, const char** pWord, double* pMillivolts)
{
    DWORD ctrl = 0;
    DWORD volt = 0;
    if (PmuRead(rail.ctrlRegAddr, &ctrl) != 0 || PmuRead(rail.voltRegAddr, &volt) != 0)
        return false;
    *pWord = tps80036_SmpsModeWord(ctrl);
    *pMillivolts = tps80036_SmpsMillivolts(volt);
    return true;
}

// Reads an LDO's state and voltage; false, leaving both, when a register cannot be read.
bool ReadLdo(const TPS80036& rail, const char** pWord, double* pMillivolts)
{
    DWORD halving = 0;
    DWORD ctrl = 0;
    DWORD volt = 0;
    if (PmuRead(kLdoHalvingReg, &halving) != 0 || PmuRead(rail.ctrlRegAddr, &ctrl) != 0 ||
        PmuRead(rail.voltRegAddr, &volt) != 0)
        return false;
    *pWord = (ctrl & kLdoStateBit) != 0 ? "ON        " : "OFF       ";
    *pMillivolts = tps80036_LdoMillivolts(rail.id, volt, ctrl, halving);
    return true;
}

}  // namespace

const char* tps80036_SmpsModeWord(DWORD ctrlReg)
{
    static const char* const kModes[] = {"OFF       ", "AUTO      ", "ECO       ", "FORCE_PWM "};
    return kModes[(ctrlReg >> kSmpsModeShift) & 3];
}

double tps80036_SmpsMillivolts(DWORD voltReg)
{
    double multiplier = (voltReg & kSmpsRangeFlag) != 0 ? 2 : 1;
    DWORD n = voltReg & kSmpsSelectorMask;
    if (n == 0)
        return 0.0;
    if (n <= 5)
        return multiplier * 500;
    return multiplier * (500 + 10.0 * (n - 6));
}

DWORD tps80036_SmpsSelector(DWORD volt, DWORD multiplier)
{
    return static_cast<DWORD>((static_cast<double>(volt) - multiplier * 500.0) / (multiplier * 10.0)) + 6;
}

double tps80036_LdoMillivolts(DWORD id, DWORD voltReg, DWORD ctrlReg, DWORD halvingReg)
{
    DWORD n = voltReg & 0xFF;
    if (n == 0)
        return 0.0;
    if (id == kLdo7Id && n == kLdo7HighSelector)
        return 5000.0;
    double millivolts = (n - 1) * 50.0 + 900;
    if (millivolts > 3300)
        millivolts = 3300;
    bool halves = id == 3 || id == 4 || id == 8;  // LDO4, LDO5, LDO9 follow the halving flag
    if (halves && (ctrlReg & kLdoStateBit) != 0 && (halvingReg & kLdoHalvingFlag) != 0)
        millivolts /= 2;
    return millivolts;
}

DWORD tps80036_LdoSelector(DWORD volt, DWORD divisor)
{
    return static_cast<DWORD>((static_cast<double>(volt) * divisor - 900.0) / 50.0) + 1;
}

int tps80036_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ)
{
    return StorePmuBus(i2cNode, deviceAddress, addrBitWidth, dataBitWidth, clockSpeedKHZ);
}

int tps80036_LookupVoltageIndex(const char* pName, DWORD* pIndex)
{
    return LookupRail(tps80036_tab, pName, pIndex, 1);
}

int tps80036_GetVolt(const char* pName, DWORD* pVolt)
{
    if (pVolt == nullptr)
        return 1;
    *pVolt = 0;
    DWORD index = 0;
    if (OpenRail(pName, &index) != 0)
        return 1;
    const TPS80036& rail = tps80036_tab[index];
    const char* word = kUnknownWord;
    double millivolts = 0.0;
    int status = 0;
    if (rail.type == TPS80036_SMPS) {
        if (!ReadSmps(rail, &word, &millivolts)) {
            puts("Failed to read the SMPS output!");
            status = 1;
        }
    } else {
        ReadLdo(rail, &word, &millivolts);  // an unreadable LDO shows as UNKNOWN, silently
    }
    PrintRailLine(rail.name, word, millivolts);
    I2cClose();
    *pVolt = static_cast<DWORD>(millivolts);
    return status;
}

int tps80036_SetVolt(const char* pName, DWORD volt)
{
    DWORD index = 0;
    if (OpenRail(pName, &index) != 0)
        return 1;
    const TPS80036& rail = tps80036_tab[index];
    bool smps = rail.type == TPS80036_SMPS;
    DWORD flags = 0;
    if (PmuRead(smps ? rail.voltRegAddr : kLdoHalvingReg, &flags) != 0) {
        I2cClose();
        return 1;
    }
    DWORD multiplier = smps && (flags & kSmpsRangeFlag) != 0 ? 2 : 1;
    DWORD divisor = !smps && (flags & kLdoHalvingFlag) != 0 ? 2 : 1;
    DWORD low = multiplier * rail.minMV;
    DWORD high = multiplier * rail.maxMV;
    if (volt < low || volt > high) {
        printf("Wrong volt %d, valid range is [%d, %d]\n", static_cast<int>(volt), static_cast<int>(low),
               static_cast<int>(high));
        I2cClose();
        return 1;
    }
    DWORD selector = smps ? tps80036_SmpsSelector(volt, multiplier) : tps80036_LdoSelector(volt, divisor);
    // The rail is switched on only after its selector took; a selector write that failed
    // leaves the rail as it was, which the read-back line shows.
    if (PmuWriteField(rail.voltRegAddr, selector, 0, smps ? 6 : 5) == 0 &&
        PmuWriteField(rail.ctrlRegAddr, 1, 0, smps ? 1 : 0) != 0) {
        I2cClose();
        return 1;
    }
    I2cClose();
    tps80036_GetVolt(pName, &volt);
    return 0;
}

int tps80036_SetVoltOnOff(const char* pName, DWORD onOff)
{
    DWORD index = 0;
    if (OpenRail(pName, &index) != 0)
        return 1;
    const TPS80036& rail = tps80036_tab[index];
    bool written = false;
    if (rail.type == TPS80036_SMPS || rail.type == TPS80036_LDO) {
        bool smps = rail.type == TPS80036_SMPS;
        DWORD highest = smps ? 3 : 1;
        if (onOff > highest) {
            printf("Wrong pwr mode %d, valid range is [%d, %d]\n", static_cast<int>(onOff), 0,
                   static_cast<int>(highest));
            I2cClose();
            return 1;
        }
        written = PmuWriteField(rail.ctrlRegAddr, onOff, 0, smps ? 1 : 0) == 0;
    } else {
        printf("Unsupported PMU output type!");
    }
    I2cClose();
    return written ? 0 : 1;
}

void tps80036_ListVolt()
{
    ListRails(tps80036_tab, tps80036_GetVolt);
}

// Transitional adapter to the driver contract.
namespace {
void UseDevice(const I2cDevice& device)
{
    StorePmuBus(device.node, device.address, 8, 8, 100);
}
}  // namespace

const RegulatorDriver kTps80036Driver = {
    [](size_t index) { return RailNameAt(tps80036_tab, index); },
    [](const I2cDevice& device) {
        UseDevice(device);
        tps80036_ListVolt();
    },
    [](const I2cDevice& device, const char* name) {
        UseDevice(device);
        DWORD v = 0; return tps80036_GetVolt(name, &v);
    },
    [](const I2cDevice& device, const char* name, double voltage) {
        UseDevice(device);
        return tps80036_SetVolt(name, static_cast<DWORD>(voltage));
    },
    [](const I2cDevice& device, const char* name, bool on) {
        UseDevice(device);
        return tps80036_SetVoltOnOff(name, on ? 1 : 0);
    },
};
