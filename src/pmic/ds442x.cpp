#include "pmic/ds442x.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "bus/i2c.h"
#include "bus/i2c_device.h"
#include "pmic/rail.h"

const DS442XN_REG maxDS442Xn_reg_tab[] = {
    {0xF8, "OUT0"},
    {0xF9, "OUT1"},
    {0xFA, "OUT2"},
    {0xFB, "OUT3"},
    {0xFFFFFFFF, ""},
};

DWORD g_Platform = 0;

namespace {

const char* const kBoardCodes[] = {
    "BRD01", "BRD02", "BRD03", "BRD04", "BRD05", "BRD06", "BRD07", "BRD08", "BRD09",
    "BRD10", "BRD11", "BRD12", "BRD13", "BRD14", "BRD15", "BRD16", "BRD17", "BRD18",
};

const int kNameNotFound = 2;
const DWORD kSignBit = 0x80;
const DWORD kMagnitudeMask = 0x7F;
const DWORD kMagnitudeMax = 127;

// The rail one output trims on a group of boards (g_Platform indexes).
struct DS442XN_RAIL {
    DWORD boards[3];
    DWORD addr;
    const char* description;
    DWORD vmin;
    DWORD vnom;
    DWORD vmax;
    DWORD signInvert;
};

const DS442XN_RAIL kBoardRails[] = {
    {{1, 2, 3}, 0xF8, "VDDIO_DDR", 1219, 1356, 1494, 0},
    {{1, 2, 3}, 0xF9, "VDDIO_VREF", 542, 678, 814, 1},
    {{4, 7, 9}, 0xF8, "VDDIO_DDR", 1215, 1350, 1485, 0},
    {{4, 7, 9}, 0xF9, "VDDIO_VREF", 542, 678, 814, 1},
    {{5, 6, 8}, 0xF9, "VDDIO_VREF", 480, 600, 720, 1},
    {{5, 6, 8}, 0xFA, "VDDIO_DDR", 1080, 1200, 1320, 0},
};

// Corv boards: the rail sits at the nominal value with the register at 0 and moves by
// one unit per `step` codes.
struct DS442XN_STEP {
    DWORD board;
    double step;
};

const DS442XN_STEP kCorvSteps[] = {
    {10, 12.7},
    {11, 18.2},
    {12, 12.7},
};

const DWORD kCorvNominal = 50;

// One register access with its own open and close of the bus: 0, or after the failure line
// the caller's status for a bus that cannot be opened (noBus) or a failed transfer (noAnswer).
int ReadDac(DWORD addr, DWORD* pVal, int noBus, int noAnswer)
{
    if (PmuOpen() != 0) {
        printf("Failed: Unable to open I2C device.\n");
        return noBus;
    }
    if (PmuRead(addr, pVal) != 0) {
        printf("Failed: Unable to read from I2C device.\n");
        I2cClose();
        return noAnswer;
    }
    I2cClose();
    return 0;
}

int WriteDac(DWORD addr, DWORD data, int noBus, int noAnswer)
{
    if (PmuOpen() != 0) {
        printf("Error: Failed to open I2C device.\n");
        return noBus;
    }
    if (PmuWrite(addr, data) != 0) {
        printf("Error: Failed to write to I2C device.\n");
        I2cClose();
        return noAnswer;
    }
    I2cClose();
    return 0;
}

// Prints the output line of each of the first `outputs` outputs, whatever each read reports.
void ListOutputs(int outputs, int (*getVolt)(const char* pName, DWORD* pVolt))
{
    DWORD volt = 0;
    for (int i = 0; i < outputs && IsRailRecord(maxDS442Xn_reg_tab[i].name); ++i)
        getVolt(maxDS442Xn_reg_tab[i].name, &volt);
}

void PrintOutput(const char* pName, DWORD volt)
{
    printf("%-12s %dmV\n", pName, static_cast<int>(volt));
}

void PrintUnsupported(const char* railName, DWORD low, DWORD high)
{
    printf("Unsupported voltage, %s support %i mV to %i mV.\n", railName, static_cast<int>(low),
           static_cast<int>(high));
}

bool OnBoard(const DS442XN_RAIL& rail, DWORD platform)
{
    return std::ranges::find(rail.boards, platform) != std::end(rail.boards);
}

}  // namespace

int ds442Xn_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ)
{
    return StorePmuBus(i2cNode, deviceAddress, addrBitWidth, dataBitWidth, clockSpeedKHZ);
}

int ds442Xn_LookupVoltageIndex(const char* pName, DWORD* pIndex)
{
    if (pIndex == nullptr) {
        printf("pIndex error!\n");
        return 1;
    }
    return LookupRail(maxDS442Xn_reg_tab, pName, pIndex, kNameNotFound);
}

const char* ds442Xn_GetOutputParams(DWORD addr, DWORD* pVmin, DWORD* pVnom, DWORD* pVmax, DWORD* pSignInvert)
{
    for (const DS442XN_RAIL& rail : kBoardRails) {
        if (rail.addr == addr && OnBoard(rail, g_Platform)) {
            *pVmin = rail.vmin;
            *pVnom = rail.vnom;
            *pVmax = rail.vmax;
            *pSignInvert = rail.signInvert;
            return rail.description;
        }
    }
    return nullptr;
}

DWORD ds442Xn_DacToMillivolts(DWORD dac, DWORD vmin, DWORD vnom, DWORD vmax, DWORD signInvert)
{
    DWORD sign = (dac & kSignBit) != 0 ? 1 : 0;
    if (signInvert != 0)
        sign ^= 1;
    DWORD offset = ((vmax - vmin) * (dac & kMagnitudeMask)) >> 8;
    double half = offset + 0.5;
    return DoubleToDword(sign == 1 ? vnom - half : vnom + half);
}

DWORD ds442Xn_MillivoltsToDac(DWORD volt, DWORD vmin, DWORD vnom, DWORD vmax, DWORD signInvert)
{
    DWORD span = vmax - vmin;
    DWORD value = 0;
    DWORD sign = 0;
    if (volt >= vnom) {
        value = ((volt - vnom) * 256u) / span;
        sign = signInvert != 0 ? 1 : 0;
    } else {
        value = ((vnom - volt) * 256u) / span;
        sign = signInvert != 0 ? 0 : 1;
    }
    return sign * kSignBit + std::min(value, kMagnitudeMax);
}

int ds442Xn_GetVolt(const char* pName, DWORD*)
{
    DWORD index = 0;
    if (ds442Xn_LookupVoltageIndex(pName, &index) != 0) {
        printf("[%s] Failed to access.\n", pName);
        return 1;
    }
    DWORD addr = maxDS442Xn_reg_tab[index].addr;
    DWORD vmin = 0, vnom = 0, vmax = 0, signInvert = 0;
    if (ds442Xn_GetOutputParams(addr, &vmin, &vnom, &vmax, &signInvert) == nullptr) {
        printf("[%s] Failed to access.\n", pName);
        return 2;
    }
    DWORD val = 0;
    if (int status = ReadDac(addr, &val, 2, 3); status != 0)
        return status;
    PrintOutput(pName, ds442Xn_DacToMillivolts(val, vmin, vnom, vmax, signInvert));
    return 0;
}

int ds442Xn_SetVolt(const char* pName, DWORD Volt)
{
    DWORD index = 0;
    if (ds442Xn_LookupVoltageIndex(pName, &index) != 0) {
        printf("Failed: Invalid output for the selected platform.\n");
        return 1;
    }
    DWORD addr = maxDS442Xn_reg_tab[index].addr;
    DWORD vmin = 0, vnom = 0, vmax = 0, signInvert = 0;
    const char* railName = ds442Xn_GetOutputParams(addr, &vmin, &vnom, &vmax, &signInvert);
    if (railName == nullptr) {
        printf("Failed: Invalid voltage output name.\n");
        return 2;
    }
    if (Volt < vmin || Volt > vmax) {
        PrintUnsupported(railName, vmin, vmax);
        return 3;
    }
    DWORD dac = ds442Xn_MillivoltsToDac(Volt, vmin, vnom, vmax, signInvert);
    if (int status = WriteDac(addr, dac, 4, 5); status != 0)
        return status;
    DWORD volt = 0;
    return ds442Xn_GetVolt(pName, &volt);
}

int ds442Xn_ListVolt(int outputs)
{
    ListOutputs(outputs, ds442Xn_GetVolt);
    return 0;
}

int ds442Xn_GetVolt2(const char* pName, DWORD vmin, DWORD vnom, DWORD vmax, DWORD signInvert, DWORD*)
{
    DWORD index = 0;
    if (ds442Xn_LookupVoltageIndex(pName, &index) != 0) {
        printf("[%s] Failed to access.\n", pName);
        return 3;
    }
    DWORD val = 0;
    if (int status = ReadDac(maxDS442Xn_reg_tab[index].addr, &val, 2, 1); status != 0)
        return status;
    PrintOutput(pName, ds442Xn_DacToMillivolts(val, vmin, vnom, vmax, signInvert));
    return 0;
}

int ds442Xn_SetVolt2(const char* pName, DWORD vmin, DWORD vnom, DWORD vmax, DWORD signInvert, DWORD Volt)
{
    DWORD index = 0;
    if (ds442Xn_LookupVoltageIndex(pName, &index) != 0) {
        printf("Failed: Invalid output for the selected platform.\n");
        return 4;
    }
    if (Volt < vmin || Volt > vmax) {
        PrintUnsupported(pName, vmin, vmax);
        return 1;
    }
    // Only a value equal to both limits gets here with an empty range, which has no encoding.
    if (vmin == vmax) {
        printf("Unsupported voltage limits, %s needs <MIN> below <MAX>.\n", pName);
        return 1;
    }
    DWORD dac = ds442Xn_MillivoltsToDac(Volt, vmin, vnom, vmax, signInvert);
    if (int status = WriteDac(maxDS442Xn_reg_tab[index].addr, dac, 3, 2); status != 0)
        return status;
    DWORD volt = 0;
    return ds442Xn_GetVolt2(pName, vmin, vnom, vmax, signInvert, &volt);
}

double ds442Xn_CorvStep(DWORD platform)
{
    for (const DS442XN_STEP& entry : kCorvSteps)
        if (entry.board == platform)
            return entry.step;
    return 0;
}

DWORD ds442Xn_CorvReach(double step)
{
    return DoubleToDword(kMagnitudeMax / step);
}

DWORD ds442Xn_CorvDacToVolt(DWORD dac, double step)
{
    if ((dac & kSignBit) != 0)
        return DoubleToDword(kCorvNominal + (dac - kSignBit) / step);
    return DoubleToDword(kCorvNominal - dac / step);
}

DWORD ds442Xn_CorvVoltToDac(DWORD volt, double step)
{
    if (volt <= kCorvNominal)
        return DoubleToDword((kCorvNominal - volt) * step);
    return DoubleToDword((volt - kCorvNominal) * step + kSignBit);
}

int ds442Xn_GetVolt_Corv(const char* pName, DWORD*)
{
    DWORD index = 0;
    if (ds442Xn_LookupVoltageIndex(pName, &index) != 0) {
        printf("[%s] Failed to access.\n", pName);
        return 1;
    }
    DWORD val = 0;
    if (int status = ReadDac(maxDS442Xn_reg_tab[index].addr, &val, 2, 3); status != 0)
        return status;
    double step = ds442Xn_CorvStep(g_Platform);
    if (step == 0) {
        printf("Error: Unsupported platform!\n");
        return 4;
    }
    PrintOutput(pName, ds442Xn_CorvDacToVolt(val, step));
    return 0;
}

int ds442Xn_SetVolt_Corv(const char* pName, DWORD Volt)
{
    DWORD index = 0;
    if (ds442Xn_LookupVoltageIndex(pName, &index) != 0) {
        printf("Failed: Invalid output for the selected platform.\n");
        return 1;
    }
    double step = ds442Xn_CorvStep(g_Platform);
    if (step == 0) {
        printf("Error: Unsupported platform!\n");
        return 4;
    }
    // Beyond this reach the magnitude would spill into the sign bit or past the register.
    DWORD reach = ds442Xn_CorvReach(step);
    if (Volt < kCorvNominal - reach || Volt > kCorvNominal + reach) {
        PrintUnsupported(pName, kCorvNominal - reach, kCorvNominal + reach);
        return 3;
    }
    DWORD dac = ds442Xn_CorvVoltToDac(Volt, step);
    if (int status = WriteDac(maxDS442Xn_reg_tab[index].addr, dac, 4, 5); status != 0)
        return status;
    DWORD volt = 0;
    return ds442Xn_GetVolt_Corv(pName, &volt);
}

int ds442Xn_ListVolt_Corv(int outputs)
{
    ListOutputs(outputs, ds442Xn_GetVolt_Corv);
    return 0;
}

int IdentifyPlatform(const char* board)
{
    for (size_t i = 0; i < std::size(kBoardCodes); ++i) {
        if (stricmp(board, kBoardCodes[i]) == 0) {
            g_Platform = static_cast<DWORD>(i + 1);
            return 0;
        }
    }
    g_Platform = 0;
    return 1;
}

const char* ds442x_BoardCode(size_t index)
{
    return index < std::size(kBoardCodes) ? kBoardCodes[index] : nullptr;
}

const char* ds442x_OutputName(size_t index)
{
    return RailNameAt(maxDS442Xn_reg_tab, index);
}
