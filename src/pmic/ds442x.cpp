#include "pmic/ds442x.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <span>

#include "bus/i2c.h"
#include "pmic/rail.h"

namespace {

// The DAC register of each output.
struct Output {
    BYTE reg;
    const char* name;
};

const Output kOutputs[] = {
    {0xF8, "OUT0"},
    {0xF9, "OUT1"},
    {0xFA, "OUT2"},
    {0xFB, "OUT3"},
    {0, nullptr},
};

const DWORD kSignBit = 0x80;
const DWORD kMagnitudeMask = 0x7F;
const DWORD kMagnitudeMax = 127;

// The supply rail one output trims on a board.
struct TrimmedRail {
    BYTE reg;
    const char* name;
    Ds442xLimits limits;
};

const TrimmedRail kDdr1356Rails[] = {
    {0xF8, "VDDIO_DDR", {1219, 1356, 1494, false}},
    {0xF9, "VDDIO_VREF", {542, 678, 814, true}},
};
const TrimmedRail kDdr1350Rails[] = {
    {0xF8, "VDDIO_DDR", {1215, 1350, 1485, false}},
    {0xF9, "VDDIO_VREF", {542, 678, 814, true}},
};
const TrimmedRail kDdr1200Rails[] = {
    {0xF9, "VDDIO_VREF", {480, 600, 720, true}},
    {0xFA, "VDDIO_DDR", {1080, 1200, 1320, false}},
};

const Ds442xStep kCorvStep127 = {50, 12.7};
const Ds442xStep kCorvStep182 = {50, 18.2};

}  // namespace

struct Ds442xBoard {
    const char* code;
    std::span<const TrimmedRail> rails;  // the limit model
    const Ds442xStep* step;              // the step model; null when the board has none
};

namespace {

const Ds442xBoard kBoards[] = {
    {"BRD01", kDdr1356Rails, nullptr}, {"BRD02", kDdr1356Rails, nullptr}, {"BRD03", kDdr1356Rails, nullptr},
    {"BRD04", kDdr1350Rails, nullptr}, {"BRD05", kDdr1200Rails, nullptr}, {"BRD06", kDdr1200Rails, nullptr},
    {"BRD07", kDdr1350Rails, nullptr}, {"BRD08", kDdr1200Rails, nullptr}, {"BRD09", kDdr1350Rails, nullptr},
    {"BRD10", {}, &kCorvStep127},      {"BRD11", {}, &kCorvStep182},      {"BRD12", {}, &kCorvStep127},
    {"BRD13", {}, nullptr},            {"BRD14", {}, nullptr},            {"BRD15", {}, nullptr},
    {"BRD16", {}, nullptr},            {"BRD17", {}, nullptr},            {"BRD18", {}, nullptr},
};

// The output of a name (any case); null after listing the valid names.
const Output* FindOutput(const char* name)
{
    return FindRail(kOutputs, name);
}

const TrimmedRail* RailOf(const Ds442xBoard& board, const Output& output)
{
    auto rail = std::ranges::find(board.rails, output.reg, &TrimmedRail::reg);
    return rail != board.rails.end() ? &*rail : nullptr;
}

// One register access with its own open and close of the bus: 0, or after the failure line
// the caller's status for a bus that cannot be opened (noBus) or a failed transfer (noAnswer).
int ReadDac(const I2cDevice& dac, const Output& output, DWORD* pCode, int noBus, int noAnswer)
{
    if (DeviceOpen(dac) != 0) {
        printf("Failed: Unable to open I2C device.\n");
        return noBus;
    }
    if (DeviceRead(dac, output.reg, pCode) != 0) {
        printf("Failed: Unable to read from I2C device.\n");
        I2cClose();
        return noAnswer;
    }
    I2cClose();
    return 0;
}

int WriteDac(const I2cDevice& dac, const Output& output, DWORD code, int noBus, int noAnswer)
{
    if (DeviceOpen(dac) != 0) {
        printf("Error: Failed to open I2C device.\n");
        return noBus;
    }
    if (DeviceWrite(dac, output.reg, code) != 0) {
        printf("Error: Failed to write to I2C device.\n");
        I2cClose();
        return noAnswer;
    }
    I2cClose();
    return 0;
}

void PrintOutput(const char* name, DWORD millivolts)
{
    printf("%-12s %dmV\n", name, static_cast<int>(millivolts));
}

void PrintFailedAccess(const char* name)
{
    printf("[%s] Failed to access.\n", name);
}

void PrintInvalidOutput()
{
    printf("Failed: Invalid output for the selected platform.\n");
}

void PrintUnsupported(const char* railName, DWORD lowMillivolts, DWORD highMillivolts)
{
    printf("Unsupported voltage, %s support %i mV to %i mV.\n", railName, static_cast<int>(lowMillivolts),
           static_cast<int>(highMillivolts));
}

void PrintUnsupportedBoard()
{
    printf("Error: Unsupported platform!\n");
}

// The board's limits for an output already found; `name` as typed.
int ReadTrimmedOutput(const I2cDevice& dac, const Ds442xBoard& board, const Output& output, const char* name)
{
    const TrimmedRail* rail = RailOf(board, output);
    if (rail == nullptr) {
        PrintFailedAccess(name);
        return 2;
    }
    DWORD code = 0;
    if (int status = ReadDac(dac, output, &code, 2, 3); status != 0)
        return status;
    PrintOutput(name, ds442x_DacToMillivolts(code, rail->limits));
    return 0;
}

int ReadOutputWithin(const I2cDevice& dac, const Output& output, const char* name, const Ds442xLimits& limits)
{
    DWORD code = 0;
    if (int status = ReadDac(dac, output, &code, 2, 1); status != 0)
        return status;
    PrintOutput(name, ds442x_DacToMillivolts(code, limits));
    return 0;
}

int ReadStepOutput(const I2cDevice& dac, const Ds442xBoard& board, const Output& output, const char* name)
{
    DWORD code = 0;
    if (int status = ReadDac(dac, output, &code, 2, 3); status != 0)
        return status;
    if (board.step == nullptr) {
        PrintUnsupportedBoard();
        return 4;
    }
    PrintOutput(name, ds442x_StepDacToMillivolts(code, *board.step));
    return 0;
}

// Reads the first `outputs` outputs, whatever each read reports.
template <typename ReadOne>
void ListOutputs(int outputs, ReadOne readOne)
{
    for (int i = 0; i < outputs && IsRailRecord(kOutputs[i].name); ++i)
        readOne(kOutputs[i]);
}

}  // namespace

const Ds442xBoard* ds442x_FindBoard(const char* code)
{
    for (const Ds442xBoard& board : kBoards)
        if (stricmp(code, board.code) == 0)
            return &board;
    return nullptr;
}

const char* ds442x_BoardCode(size_t index)
{
    return index < std::size(kBoards) ? kBoards[index].code : nullptr;
}

const char* ds442x_OutputName(size_t index)
{
    return RailNameAt(kOutputs, index);
}

BYTE ds442x_OutputRegister(size_t index)
{
    return RailAt(kOutputs, index)->reg;
}

DWORD ds442x_DacToMillivolts(DWORD dac, const Ds442xLimits& limits)
{
    bool lowers = ((dac & kSignBit) != 0) != limits.signInverted;
    DWORD offset = ((limits.maximumMillivolts - limits.minimumMillivolts) * (dac & kMagnitudeMask)) >> 8;
    double half = offset + 0.5;
    return DoubleToDword(lowers ? limits.nominalMillivolts - half : limits.nominalMillivolts + half);
}

DWORD ds442x_MillivoltsToDac(DWORD millivolts, const Ds442xLimits& limits)
{
    DWORD span = limits.maximumMillivolts - limits.minimumMillivolts;
    bool raise = millivolts >= limits.nominalMillivolts;
    DWORD distance = raise ? millivolts - limits.nominalMillivolts : limits.nominalMillivolts - millivolts;
    DWORD magnitude = std::min((distance * 256u) / span, kMagnitudeMax);
    return (raise == limits.signInverted ? kSignBit : 0) + magnitude;
}

DWORD ds442x_StepReachMillivolts(const Ds442xStep& step)
{
    return DoubleToDword(kMagnitudeMax / step.codesPerMillivolt);
}

DWORD ds442x_StepDacToMillivolts(DWORD dac, const Ds442xStep& step)
{
    if ((dac & kSignBit) != 0)
        return DoubleToDword(step.nominalMillivolts + (dac - kSignBit) / step.codesPerMillivolt);
    return DoubleToDword(step.nominalMillivolts - dac / step.codesPerMillivolt);
}

DWORD ds442x_StepMillivoltsToDac(DWORD millivolts, const Ds442xStep& step)
{
    if (millivolts <= step.nominalMillivolts)
        return DoubleToDword((step.nominalMillivolts - millivolts) * step.codesPerMillivolt);
    return DoubleToDword((millivolts - step.nominalMillivolts) * step.codesPerMillivolt + kSignBit);
}

int ds442x_ListOutputs(const I2cDevice& dac, const Ds442xBoard& board, int outputs)
{
    ListOutputs(outputs, [&](const Output& output) { ReadTrimmedOutput(dac, board, output, output.name); });
    return 0;
}

int ds442x_ReadOutput(const I2cDevice& dac, const Ds442xBoard& board, const char* name)
{
    const Output* output = FindOutput(name);
    if (output == nullptr) {
        PrintFailedAccess(name);
        return 1;
    }
    return ReadTrimmedOutput(dac, board, *output, name);
}

int ds442x_SetOutput(const I2cDevice& dac, const Ds442xBoard& board, const char* name, DWORD millivolts)
{
    const Output* output = FindOutput(name);
    if (output == nullptr) {
        PrintInvalidOutput();
        return 1;
    }
    const TrimmedRail* rail = RailOf(board, *output);
    if (rail == nullptr) {
        printf("Failed: Invalid voltage output name.\n");
        return 2;
    }
    const Ds442xLimits& limits = rail->limits;
    if (millivolts < limits.minimumMillivolts || millivolts > limits.maximumMillivolts) {
        PrintUnsupported(rail->name, limits.minimumMillivolts, limits.maximumMillivolts);
        return 3;
    }
    if (int status = WriteDac(dac, *output, ds442x_MillivoltsToDac(millivolts, limits), 4, 5); status != 0)
        return status;
    return ReadTrimmedOutput(dac, board, *output, name);
}

int ds442x_ReadOutputWithin(const I2cDevice& dac, const char* name, const Ds442xLimits& limits)
{
    const Output* output = FindOutput(name);
    if (output == nullptr) {
        PrintFailedAccess(name);
        return 3;
    }
    return ReadOutputWithin(dac, *output, name, limits);
}

int ds442x_SetOutputWithin(const I2cDevice& dac, const char* name, const Ds442xLimits& limits, DWORD millivolts)
{
    const Output* output = FindOutput(name);
    if (output == nullptr) {
        PrintInvalidOutput();
        return 4;
    }
    if (millivolts < limits.minimumMillivolts || millivolts > limits.maximumMillivolts) {
        PrintUnsupported(name, limits.minimumMillivolts, limits.maximumMillivolts);
        return 1;
    }
    // Only a value equal to both limits gets here with an empty range, which has no encoding.
    if (limits.minimumMillivolts == limits.maximumMillivolts) {
        printf("Unsupported voltage limits, %s needs <MIN> below <MAX>.\n", name);
        return 1;
    }
    if (int status = WriteDac(dac, *output, ds442x_MillivoltsToDac(millivolts, limits), 3, 2); status != 0)
        return status;
    return ReadOutputWithin(dac, *output, name, limits);
}

int ds442x_ListStepOutputs(const I2cDevice& dac, const Ds442xBoard& board, int outputs)
{
    ListOutputs(outputs, [&](const Output& output) { ReadStepOutput(dac, board, output, output.name); });
    return 0;
}

int ds442x_ReadStepOutput(const I2cDevice& dac, const Ds442xBoard& board, const char* name)
{
    const Output* output = FindOutput(name);
    if (output == nullptr) {
        PrintFailedAccess(name);
        return 1;
    }
    return ReadStepOutput(dac, board, *output, name);
}

int ds442x_SetStepOutput(const I2cDevice& dac, const Ds442xBoard& board, const char* name, DWORD millivolts)
{
    const Output* output = FindOutput(name);
    if (output == nullptr) {
        PrintInvalidOutput();
        return 1;
    }
    if (board.step == nullptr) {
        PrintUnsupportedBoard();
        return 4;
    }
    const Ds442xStep& step = *board.step;
    // Beyond this reach the magnitude would spill into the sign bit or past the register.
    DWORD reach = ds442x_StepReachMillivolts(step);
    DWORD lowest = step.nominalMillivolts - reach;
    DWORD highest = step.nominalMillivolts + reach;
    if (millivolts < lowest || millivolts > highest) {
        PrintUnsupported(name, lowest, highest);
        return 3;
    }
    if (int status = WriteDac(dac, *output, ds442x_StepMillivoltsToDac(millivolts, step), 4, 5); status != 0)
        return status;
    return ReadStepOutput(dac, board, *output, name);
}
