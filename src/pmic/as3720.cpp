#include "pmic/as3720.h"

#include <cstdio>
#include <span>

#include "bus/i2c.h"
#include "bus/i2c_device.h"
#include "pmic/rail.h"

namespace {

struct As3720Rail {
    const char* name;
    As3720Encoding encoding;
    RegisterField selector;  // bit 7 of the register is not ours
    RegisterField enable;
};

const As3720Rail kRails[] = {
    // name   encoding                     selector      enable
    {"SD0",   As3720Encoding::kSdLowPower, {0x00, 0, 6}, {0x4D, 0, 0}},
    {"SD1",   As3720Encoding::kSdLowPower, {0x01, 0, 6}, {0x4D, 1, 1}},
    {"SD2",   As3720Encoding::kSdNominal,  {0x02, 0, 6}, {0x4D, 2, 2}},
    {"SD3",   As3720Encoding::kSdNominal,  {0x03, 0, 6}, {0x4D, 3, 3}},
    {"SD4",   As3720Encoding::kSdNominal,  {0x04, 0, 6}, {0x4D, 4, 4}},
    {"SD5",   As3720Encoding::kSdNominal,  {0x05, 0, 6}, {0x4D, 5, 5}},
    {"SD6",   As3720Encoding::kSdLowPower, {0x06, 0, 6}, {0x4D, 6, 6}},
    {"LDO0",  As3720Encoding::kLdo0,       {0x10, 0, 6}, {0x4E, 0, 0}},
    {"LDO1",  As3720Encoding::kLdo,        {0x11, 0, 6}, {0x4E, 1, 1}},
    {"LDO2",  As3720Encoding::kLdo,        {0x12, 0, 6}, {0x4E, 2, 2}},
    {"LDO3",  As3720Encoding::kLdo3,       {0x13, 0, 6}, {0x4E, 3, 3}},
    {"LDO4",  As3720Encoding::kLdo,        {0x14, 0, 6}, {0x4E, 4, 4}},
    {"LDO5",  As3720Encoding::kLdo,        {0x15, 0, 6}, {0x4E, 5, 5}},
    {"LDO6",  As3720Encoding::kLdo,        {0x16, 0, 6}, {0x4E, 6, 6}},
    {"LDO7",  As3720Encoding::kLdo,        {0x17, 0, 6}, {0x4E, 7, 7}},
    {"LDO8",  As3720Encoding::kLdo,        {0x18, 0, 6}, {0x4F, 0, 0}},
    {"LDO9",  As3720Encoding::kLdo,        {0x19, 0, 6}, {0x4F, 1, 1}},
    {"LDO10", As3720Encoding::kLdo,        {0x1A, 0, 6}, {0x4F, 2, 2}},
    {"LDO11", As3720Encoding::kLdo,        {0x1B, 0, 6}, {0x4F, 3, 3}},
    {nullptr, As3720Encoding::kLdo,        {0, 0, 0},    {0, 0, 0}},
};

// Selector codes in microvolts, in ascending voltage order.
const LinearRange kSdLowPowerMicrovolts[] = {{610000, 1, 90, 10000}};
const LinearRange kSdNominalMicrovolts[] = {
    {612500, 1, 64, 12500},
    {1425000, 65, 112, 25000},
    {2650000, 113, 127, 50000},
};
const LinearRange kLdo0Microvolts[] = {{825000, 1, 18, 25000}};
const LinearRange kLdo3Microvolts[] = {{610000, 1, 120, 10000}};
const LinearRange kLdoMicrovolts[] = {{825000, 1, 36, 25000}, {1725000, 64, 127, 25000}};
// Codes 37-63 read as the first range continued, the voltages of codes 64-90; no request
// picks them.
const LinearRange kLdoReadMicrovolts[] = {kLdoMicrovolts[0], {1725000, 37, 63, 25000}, kLdoMicrovolts[1]};

struct Encoding {
    std::span<const LinearRange> written;
    std::span<const LinearRange> read;
};

// LDO3 is set up to code 120 but reads back only the low-power converters' codes 1-90.
Encoding EncodingOf(As3720Encoding encoding)
{
    switch (encoding) {
    case As3720Encoding::kSdLowPower:
        return {kSdLowPowerMicrovolts, kSdLowPowerMicrovolts};
    case As3720Encoding::kSdNominal:
        return {kSdNominalMicrovolts, kSdNominalMicrovolts};
    case As3720Encoding::kLdo0:
        return {kLdo0Microvolts, kLdo0Microvolts};
    case As3720Encoding::kLdo3:
        return {kLdo3Microvolts, kSdLowPowerMicrovolts};
    case As3720Encoding::kLdo:
        break;
    }
    return {kLdoMicrovolts, kLdoReadMicrovolts};
}

const DWORD kSmallestRequestMicrovolts = 50000;

// Opens the bus, printing why not; 0 or 1.
int OpenBus(const I2cDevice& device)
{
    if (DeviceOpen(device) != 0) {
        puts("Failed: Unable to open I2C device.");
        I2cClose();
        return 1;
    }
    return 0;
}

// "ON ", "OFF" or "ERR"; the bus is open and is closed after.
const char* ReadState(const I2cDevice& device, const As3720Rail& rail)
{
    DWORD value = 0;
    const char* state = "ERR";
    if (DeviceRead(device, rail.enable.reg, &value) == 0)
        state = rail.enable.Get(value) != 0 ? "ON " : "OFF";
    I2cClose();
    return state;
}

// Prints the rail line: the selector, then the enable register, on one open of the bus.
int ReadRail(const I2cDevice& device, const As3720Rail& rail)
{
    if (OpenBus(device) != 0)
        return 1;
    DWORD value = 0;
    int status = DeviceRead(device, rail.selector.reg, &value);
    if (status != 0) {
        puts("Failed: Unable to read from PMU.");
        I2cClose();
        return status;
    }
    DWORD code = rail.selector.Get(value);
    DWORD microvolts = 0;
    if (!as3720_CodeToMicrovolts(rail.encoding, code, &microvolts)) {
        printf("Selector 0x%x overflow\n", static_cast<unsigned>(code - 1));
        puts("Failed: Unable to set the voltage on this output!");
        I2cClose();
        return 1;
    }
    const char* state = ReadState(device, rail);
    printf("%-12s %-8s %6.1fmV\n", rail.name, state, microvolts / 1000.0);
    return 0;
}

int ReadNamedRail(const I2cDevice& device, const char* name)
{
    const As3720Rail* rail = FindRail(kRails, name);
    if (rail == nullptr) {
        printf("Failed: Unable to find the PMU output [%s].\n", name);
        return 1;
    }
    return ReadRail(device, *rail);
}

void ListAllRails(const I2cDevice& device)
{
    for (const As3720Rail* rail = kRails; IsRailRecord(rail->name); ++rail)
        ReadRail(device, *rail);
}

// Writes only the selector bits; prints nothing on success.
int SetMicrovolts(const I2cDevice& device, const char* name, double voltage)
{
    DWORD microvolts = static_cast<DWORD>(voltage);
    if (microvolts < kSmallestRequestMicrovolts) {
        printf("SetVolt(uV), %duV seems too small\n", static_cast<int>(microvolts));
        return 1;
    }
    const As3720Rail* rail = FindRail(kRails, name);
    if (rail == nullptr) {
        printf("Failed: Unable to find the PMU output [%s].\n", name);
        return 1;
    }
    if (OpenBus(device) != 0)
        return 1;
    DWORD code = 0;
    int status = 1;
    if (as3720_MicrovoltsToCode(rail->encoding, microvolts, &code))
        status = DeviceWriteField(device, rail->selector.reg, code, rail->selector.lsb, rail->selector.msb);
    else
        printf("Voltage %d overflow\n", static_cast<int>(microvolts));
    I2cClose();
    return status;
}

// An unknown rail or a bus that cannot be opened is not reported as a failure.
int SetState(const I2cDevice& device, const char* name, bool on)
{
    const As3720Rail* rail = FindRail(kRails, name);
    if (rail == nullptr)
        return 0;
    if (DeviceOpen(device) != 0) {
        I2cClose();
        return 0;
    }
    int status = DeviceWriteField(device, rail->enable.reg, on ? 1 : 0, rail->enable.lsb, rail->enable.msb);
    I2cClose();
    return status;
}

// The selector, then the enable bit, as a rail line reads them.
bool DecodeRail(const I2cDevice& device, size_t index, RegisterSource& source, RailReading* reading)
{
    const As3720Rail* rail = RailAt(kRails, index);
    DWORD code = 0;
    DWORD enabled = 0;
    DWORD microvolts = 0;
    if (rail == nullptr || !ReadSourceField(source, device.address, rail->selector, &code) ||
        !ReadSourceField(source, device.address, rail->enable, &enabled) ||
        !as3720_CodeToMicrovolts(rail->encoding, code, &microvolts))
        return false;
    *reading = {enabled != 0, microvolts / 1000.0};
    return true;
}

}  // namespace

bool as3720_CodeToMicrovolts(As3720Encoding encoding, DWORD code, DWORD* pMicrovolts)
{
    return RangesVoltage(EncodingOf(encoding).read, code == 0 ? 1 : code, pMicrovolts);
}

bool as3720_MicrovoltsToCode(As3720Encoding encoding, DWORD microvolts, DWORD* pCode)
{
    return RangesSelectorAtOrAbove(EncodingOf(encoding).written, microvolts, pCode);
}

const RegulatorDriver kAs3720Driver = {
    [](size_t index) { return RailNameAt(kRails, index); },
    ListAllRails,
    ReadNamedRail,
    SetMicrovolts,
    SetState,
    DecodeRail,
};
