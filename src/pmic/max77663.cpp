#include "pmic/max77663.h"

#include <cstdio>

#include "bus/i2c.h"
#include "pmic/rail.h"

namespace {

enum class Kind { kStepDown, kLdo };

struct Rail {
    const char* name;
    Kind kind;
    RegisterField code;       // the voltage code; an LDO keeps its power mode in bits 7-6 beside it
    RegisterField powerMode;  // 0 off, 1 group low-power, 2 low-power, 3 on
    BYTE fpsReg;              // bits 7-6: the sequencer in control of the rail, 3 for none
    RegisterField powerGood;  // a step-down converter flags it low, an LDO high
    LinearRange microvolts;
};

constexpr LinearRange k600By12_5 = {600000, 0, 255, 12500};  // 0.6-3.7875 V in 12.5 mV steps
constexpr LinearRange k800By12_5 = {800000, 0, 63, 12500};   // 0.8-1.5875 V in 12.5 mV steps
constexpr LinearRange k800By25 = {800000, 0, 63, 25000};     // 0.8-2.375 V in 25 mV steps
constexpr LinearRange k800By50 = {800000, 0, 63, 50000};     // 0.8-3.95 V in 50 mV steps

const BYTE kSdStatusReg = 0x14;

const Rail kRails[] = {
    // name, kind, voltage code, power mode, FPS register, power good, range
    {"SD0", Kind::kStepDown, {0x16, 0, 7}, {0x1D, 4, 5}, 0x4F, {kSdStatusReg, 7, 7}, k600By12_5},
    {"DVSSD0", Kind::kStepDown, {0x1B, 0, 7}, {0x1D, 4, 5}, 0x4F, {kSdStatusReg, 7, 7}, k600By12_5},
    {"SD1", Kind::kStepDown, {0x17, 0, 5}, {0x1E, 4, 5}, 0x50, {kSdStatusReg, 6, 6}, k800By12_5},
    {"DVSSD1", Kind::kStepDown, {0x1C, 0, 5}, {0x1E, 4, 5}, 0x50, {kSdStatusReg, 6, 6}, k800By12_5},
    {"SD2", Kind::kStepDown, {0x18, 0, 7}, {0x1F, 4, 5}, 0x51, {kSdStatusReg, 5, 5}, k600By12_5},
    {"SD3", Kind::kStepDown, {0x19, 0, 7}, {0x20, 4, 5}, 0x52, {kSdStatusReg, 4, 4}, k600By12_5},
    {"SD4", Kind::kStepDown, {0x1A, 0, 7}, {0x21, 4, 5}, 0x53, {kSdStatusReg, 3, 3}, k600By12_5},
    {"LDO0", Kind::kLdo, {0x23, 0, 5}, {0x23, 6, 7}, 0x46, {0x24, 3, 3}, k800By25},
    {"LDO1", Kind::kLdo, {0x25, 0, 5}, {0x25, 6, 7}, 0x47, {0x26, 3, 3}, k800By25},
    {"LDO2", Kind::kLdo, {0x27, 0, 5}, {0x27, 6, 7}, 0x48, {0x28, 3, 3}, k800By50},
    {"LDO3", Kind::kLdo, {0x29, 0, 5}, {0x29, 6, 7}, 0x49, {0x2A, 3, 3}, k800By50},
    {"LDO4", Kind::kLdo, {0x2B, 0, 5}, {0x2B, 6, 7}, 0x4A, {0x2C, 3, 3}, k800By12_5},
    {"LDO5", Kind::kLdo, {0x2D, 0, 5}, {0x2D, 6, 7}, 0x4B, {0x2E, 3, 3}, k800By50},
    {"LDO6", Kind::kLdo, {0x2F, 0, 5}, {0x2F, 6, 7}, 0x4C, {0x30, 3, 3}, k800By50},
    {"LDO7", Kind::kLdo, {0x31, 0, 5}, {0x31, 6, 7}, 0x4D, {0x32, 3, 3}, k800By50},
    {"LDO8", Kind::kLdo, {0x33, 0, 5}, {0x33, 6, 7}, 0x4E, {0x34, 3, 3}, k800By50},
    {nullptr, Kind::kLdo, {}, {}, 0, {}, {}},
};

const BYTE kFpsLsb = 6;
const BYTE kFpsMsb = 7;
const DWORD kFpsNone = 3;
const DWORD kModeOn = 3;
const DWORD kModeOff = 0;

const char* const kFpsNames[] = {"FPS0", "FPS1", "FPS2"};
const char* const kModeNames[] = {"OFF ", "GLPM", "LPM ", "ON  "};
const char kNoMode[] = "";
const char kPowerGood[] = "PwrOK";
const char kNoPowerGood[] = "    ";

const int kUnknownRail = 4;
const int kUnknownRailState = 5;
const char kReadFailure[] = "Failed: Unable to read from the MAX77663 device.";

RegisterField FpsField(const Rail& rail)
{
    return {rail.fpsReg, kFpsLsb, kFpsMsb};
}

double CodeToMillivolts(const Rail& rail, DWORD code)
{
    return rail.microvolts.Voltage(code) / 1000.0;
}

DWORD MillivoltsToCode(const Rail& rail, double millivolts)
{
    return DoubleToDword((millivolts - rail.microvolts.minimum / 1000.0) / (rail.microvolts.step / 1000.0));
}

// Opens the bus and reads the rail's voltage register; 0, or the status to give after the
// failure line (the bus closed again when the read failed).
int OpenAndReadCodeRegister(const I2cDevice& device, const Rail& rail, const char* readFailure, DWORD* pValue)
{
    if (DeviceOpen(device) != 0) {
        puts("Failed: Unable to open I2C device.");
        return 3;
    }
    if (DeviceRead(device, rail.code.reg, pValue) != 0) {
        puts(readFailure);
        I2cClose();
        return 2;
    }
    return 0;
}

// The sequencer in control, else the power mode; read on the open bus, which it closes.
const char* ModeName(const I2cDevice& device, const Rail& rail)
{
    DWORD modeRegister = 0;
    DWORD fps = 0;
    int status = DeviceRead(device, rail.powerMode.reg, &modeRegister);
    status |= DeviceRead(device, rail.fpsReg, &fps);
    I2cClose();
    if (status != 0)
        return kNoMode;
    DWORD source = FpsField(rail).Get(fps);
    if (source != kFpsNone)
        return kFpsNames[source];
    return kModeNames[rail.powerMode.Get(modeRegister)];
}

// Opens the bus again for the one read.
const char* PowerGoodName(const I2cDevice& device, const Rail& rail)
{
    if (DeviceOpen(device) != 0)
        return kNoPowerGood;
    bool good = false;
    DWORD value = 0;
    if (DeviceRead(device, rail.powerGood.reg, &value) == 0)
        good = (rail.powerGood.Get(value) != 0) == (rail.kind == Kind::kLdo);
    I2cClose();
    return good ? kPowerGood : kNoPowerGood;
}

int ReadRail(const I2cDevice& device, const Rail& rail, const char* readFailure)
{
    DWORD value = 0;
    int status = OpenAndReadCodeRegister(device, rail, readFailure, &value);
    if (status != 0)
        return status;
    double millivolts = CodeToMillivolts(rail, rail.code.Get(value));
    const char* mode = ModeName(device, rail);
    const char* powerGood = PowerGoodName(device, rail);
    printf("%-12s %-8s %-8s %6.1fmV\n", rail.name, mode, powerGood, millivolts);
    I2cClose();
    return 0;
}

void List(const I2cDevice& device)
{
    for (const Rail* rail = kRails; IsRailRecord(rail->name); ++rail)
        ReadRail(device, *rail, kReadFailure);
}

int Read(const I2cDevice& device, const char* name)
{
    const Rail* rail = FindRailReporting(kRails, name);
    return rail == nullptr ? kUnknownRail : ReadRail(device, *rail, kReadFailure);
}

int SetVoltage(const I2cDevice& device, const char* name, double millivolts)
{
    const Rail* rail = FindRailReporting(kRails, name);
    if (rail == nullptr)
        return kUnknownRail;
    DWORD value = 0;
    int status = OpenAndReadCodeRegister(device, *rail, "Failed: Unable to read to the MAX77663 device.", &value);
    if (status != 0)
        return status;
    // No range check: a code wider than the field wraps.
    value = rail->code.Set(value, MillivoltsToCode(*rail, millivolts));
    if (DeviceWrite(device, rail->code.reg, value) != 0) {
        puts("Failed: Unable to write to the MAX77663 device.");
        I2cClose();
        return 1;
    }
    return ReadRail(device, *rail, kReadFailure);
}

int SetState(const I2cDevice& device, const char* name, bool on)
{
    const Rail* rail = FindRail(kRails, name);
    if (rail == nullptr)
        return kUnknownRailState;
    if (DeviceOpen(device) != 0)
        return 4;
    const RegisterField& mode = rail->powerMode;
    int status = 0;
    // Off FPS control first, so that the power mode decides.
    if (DeviceWriteField(device, rail->fpsReg, kFpsNone, kFpsLsb, kFpsMsb) != 0)
        status = 1;
    else if (DeviceWriteField(device, mode.reg, on ? kModeOn : kModeOff, mode.lsb, mode.msb) != 0)
        status = 1;
    I2cClose();
    return status;
}

// A rail under a sequencer is powered from power-up to shutdown; one under its own power
// mode in every mode but OFF (the low-power modes still regulate). The power-good flag is
// read too, so that a snapshot holds what a rail line shows, but decides nothing here.
bool DecodeRail(const I2cDevice& device, size_t index, RegisterSource& source, RailReading* reading)
{
    const Rail* rail = RailAt(kRails, index);
    DWORD code = 0;
    DWORD mode = 0;
    DWORD fps = 0;
    DWORD powerGood = 0;
    if (rail == nullptr || !ReadSourceField(source, device.address, rail->code, &code) ||
        !ReadSourceField(source, device.address, rail->powerMode, &mode) ||
        !ReadSourceField(source, device.address, FpsField(*rail), &fps))
        return false;
    ReadSourceField(source, device.address, rail->powerGood, &powerGood);
    *reading = {fps != kFpsNone || mode != kModeOff, CodeToMillivolts(*rail, code)};
    return true;
}

}  // namespace

const RegulatorDriver kMax77663Driver = {
    [](size_t index) { return RailNameAt(kRails, index); }, List, Read, SetVoltage, SetState, DecodeRail,
};

double max77663_CodeToMillivolts(const char* rail, DWORD code)
{
    return ConvertNamedRail(kRails, rail, 0.0, [&](const Rail& found) { return CodeToMillivolts(found, code); });
}

DWORD max77663_MillivoltsToCode(const char* rail, double millivolts)
{
    return ConvertNamedRail(kRails, rail, DWORD{0},
                            [&](const Rail& found) { return MillivoltsToCode(found, millivolts); });
}
