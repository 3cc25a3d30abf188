#include "pmic/tps6236x.h"

#include <unistd.h>

#include <cstdio>

#include "bus/i2c.h"
#include "bus/i2c_device.h"
#include "pmic/rail.h"

namespace {

struct Tps6236xRegister {
    const char* name;
    BYTE reg;
};

// Every register is a rail by name; the SETn registers head the table.
const Tps6236xRegister kFourSetRegisters[] = {
    {"SET0", 0x00}, {"SET1", 0x01},    {"SET2", 0x02},    {"SET3", 0x03}, {"CTRL", 0x04},
    {"TEMP", 0x05}, {"RMPCTRL", 0x06}, {"CHIP_ID", 0x08}, {nullptr, 0},
};
const Tps6236xRegister kTwoSetRegisters[] = {
    {"SET0", 0x00}, {"SET1", 0x01}, {"CTRL", 0x04}, {"TEMP", 0x05}, {"RMPCTRL", 0x06}, {"CHIP_ID", 0x08}, {nullptr, 0},
};

// What sets one chip apart: its registers, its settling time and its statuses.
struct Tps6236xChip {
    const Tps6236xRegister* registers;
    DWORD setRegisters;             // the SETn rows that head the table, the ones a list shows
    useconds_t settleMicroseconds;  // pause between the write and the read-back, 0 for none
    int readOpenFailed;
    int readFailed;
    int setOpenFailed;
    int writeFailed;
    int readBackFailed;
};

// registers, SETn, settle, read: open, transfer; set: open, write, read-back
const Tps6236xChip kTps62361 = {kFourSetRegisters, 4, 0, 1, 2, 1, 2, 3};
const Tps6236xChip kTps62365 = {kFourSetRegisters, 4, 10000, 2, 1, 3, 2, 1};
const Tps6236xChip kTps62366 = {kTwoSetRegisters, 2, 10000, 2, 1, 3, 2, 1};

const int kNotFound = 2;
const int kReadBackDiffers = 4;

// Requests set codes 0-127, writing 0 into bit 7 (the mode bit); reads take the whole byte.
const LinearRange kSetMillivolts = {500, 0, 127, 10};
const LinearRange kReadMillivolts = {kSetMillivolts.minimum, 0, 255, kSetMillivolts.step};

void PrintRail(const Tps6236xRegister& rail, DWORD value)
{
    printf("%-12s %dmV\n", rail.name, static_cast<int>(tps6236x_CodeToMillivolts(value)));
}

// Opens the bus and finds the rail: 0, else the status to give (the bus closed again when
// the name is unknown).
int OpenRail(const Tps6236xChip& chip, const I2cDevice& device, const char* name, int openFailed,
             const Tps6236xRegister** pRail)
{
    if (DeviceOpen(device) != 0)
        return openFailed;
    *pRail = FindRail(chip.registers, name);
    if (*pRail == nullptr) {
        I2cClose();
        return kNotFound;
    }
    return 0;
}

// On the open bus. The bus is closed on success; a failed transfer leaves it open, and the
// next operation on the same bus goes on using it.
int ReadRail(const Tps6236xChip& chip, const I2cDevice& device, const Tps6236xRegister& rail)
{
    DWORD value = 0;
    if (DeviceRead(device, rail.reg, &value) != 0)
        return chip.readFailed;
    I2cClose();
    PrintRail(rail, value);
    return 0;
}

int ReadNamedRail(const Tps6236xChip& chip, const I2cDevice& device, const char* name)
{
    const Tps6236xRegister* rail = nullptr;
    if (int status = OpenRail(chip, device, name, chip.readOpenFailed, &rail); status != 0)
        return status;
    return ReadRail(chip, device, *rail);
}

void ListSetRegisters(const Tps6236xChip& chip, const I2cDevice& device)
{
    for (DWORD i = 0; i < chip.setRegisters; ++i)
        if (DeviceOpen(device) == 0)
            ReadRail(chip, device, chip.registers[i]);
}

// Writes the whole register and reads it back.
int SetMillivolts(const Tps6236xChip& chip, const I2cDevice& device, const char* name, double voltage)
{
    DWORD code = tps6236x_MillivoltsToCode(static_cast<DWORD>(voltage));
    const Tps6236xRegister* rail = nullptr;
    if (int status = OpenRail(chip, device, name, chip.setOpenFailed, &rail); status != 0)
        return status;
    if (DeviceWrite(device, rail->reg, code) != 0)
        return chip.writeFailed;
    if (chip.settleMicroseconds != 0)
        usleep(chip.settleMicroseconds);
    DWORD value = 0;
    if (DeviceRead(device, rail->reg, &value) != 0)
        return chip.readBackFailed;
    I2cClose();
    PrintRail(*rail, value);
    return value == code ? 0 : kReadBackDiffers;
}

// The whole register as a code, as a read shows it; only the SETn registers hold a voltage.
// Nothing here switches the converter: its enable pin does.
bool DecodeRegister(const Tps6236xChip& chip, const I2cDevice& device, size_t index, RegisterSource& source,
                    RailReading* reading)
{
    const Tps6236xRegister* rail = RailAt(chip.registers, index);
    DWORD value = 0;
    if (rail == nullptr || !ReadSourceField(source, device.address, {rail->reg, 0, 7}, &value))
        return false;
    *reading = {true, static_cast<double>(tps6236x_CodeToMillivolts(value)), index < chip.setRegisters};
    return true;
}

template <const Tps6236xChip& chip>
constexpr RegulatorDriver DriverOf()
{
    return {
        [](size_t index) { return RailNameAt(chip.registers, index); },
        [](const I2cDevice& device) { ListSetRegisters(chip, device); },
        [](const I2cDevice& device, const char* name) { return ReadNamedRail(chip, device, name); },
        [](const I2cDevice& device, const char* name, double voltage) {
            return SetMillivolts(chip, device, name, voltage);
        },
        nullptr,
        [](const I2cDevice& device, size_t index, RegisterSource& source, RailReading* reading) {
            return DecodeRegister(chip, device, index, source, reading);
        },
    };
}

}  // namespace

DWORD tps6236x_CodeToMillivolts(DWORD value)
{
    return kReadMillivolts.Voltage(value);
}

DWORD tps6236x_MillivoltsToCode(DWORD millivolts)
{
    return kSetMillivolts.SelectorAtOrBelow(millivolts);
}

constinit const RegulatorDriver kTps62361Driver = DriverOf<kTps62361>();
constinit const RegulatorDriver kTps62365Driver = DriverOf<kTps62365>();
constinit const RegulatorDriver kTps62366Driver = DriverOf<kTps62366>();
