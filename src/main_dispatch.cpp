#include <iterator>

#include "main.h"
#include "platform.h"

DWORD g_ChipVersion = 0;
DWORD g_ChipMajorRevision = 0;
DWORD g_ChipMinorRevision = 0;
DWORD g_Platform = 0;

namespace {

const char* const kBoardCodes[] = {
    "BRD01", "BRD02", "BRD03", "BRD04", "BRD05", "BRD06", "BRD07", "BRD08", "BRD09",
    "BRD10", "BRD11", "BRD12", "BRD13", "BRD14", "BRD15", "BRD16", "BRD17", "BRD18",
};

void Version(int, char**)
{
    ShowVersion();
}

void Dvfs(int, char**)
{
    DvfsTable();
}

// The memory commands of one access width.
template <int Bits>
void Read(int argc, char** argv)
{
    MEM_Read(argc, argv, Bits);
}

template <int Bits>
void Write(int argc, char** argv)
{
    MEM_Write(argc, argv, Bits);
}

// The margining DACs sit on different boards per chip, each with its own handler.
void MarginDac(int argc, char** argv)
{
    if (g_ChipVersion == 0x33 || g_ChipVersion == 0x30)
        PmuMaxDS4422N(argc, argv);
    else if (g_ChipVersion == 0x35)
        PmuMaxDS4422N_Corv(argc, argv);
    else
        ExitShowHelp(1);
}

void ChipInfo(int, char**)
{
    PrintChipInfo();
}

void FuseInfo(int, char**)
{
    PrintFuseInfo();
}

void IddqG(int argc, char** argv)
{
    if (argc == 2)
        ShowIddqG();
    else if (argc == 3)
        VerifyIddqLimitG(ParseNumber(argv[2]));
}

void IddqLP(int argc, char** argv)
{
    if (argc == 2)
        ShowIddqLP();
    else if (argc == 3)
        VerifyIddqLimitLP(ParseNumber(argv[2]));
}

struct Command {
    const char* keyword;
    void (*action)(int argc, char** argv);
};

// Compared top to bottom without regard to case; the first whole match wins.
const Command kCommands[] = {
    {"-?", Version},
    {"-V", Version},
    {"-VER", Version},
    {"-VERSION", Version},
    {"-LIST", MemoryDump},
    {"-DVFS", Dvfs},
    {"-RD8", Read<8>},
    {"-RD16", Read<16>},
    {"-RD", Read<32>},
    {"-RD32", Read<32>},
    {"-WR8", Write<8>},
    {"-WR16", Write<16>},
    {"-WR", Write<32>},
    {"-WR32", Write<32>},
    {"-I2C", I2C},
    {"-I2C16", I2C16},
    {"-AS3720", PmuAS3720},
    {"-LP8755", PmuLP8755},
    {"-TPS51632", PmuTPS51632},
    {"-TPS62361", PmuTPS62361},
    {"-TPS62365", PmuTPS62365},
    {"-TPS62366", PmuTPS62366},
    {"-TPS65911", PmuTPS65911},
    {"-TPS65913", PmuTPS65913},
    {"-TPS80031", PmuTPS80031},
    {"-TPS80032", PmuTPS80032},
    {"-TPS80036", PmuTPS80036},
    {"-DS4422N", MarginDac},
    {"-DS4424N", MarginDac},
    {"-MAX77660", PmuMax77660},
    {"-MAX77663", PmuMax77663},
    {"-MAX77664", PmuMax77663},
    {"-PLL", GetPLL},
    {"-OSC", GetFrequency},
    {"-ID", BoardID},
    {"-FREQ", GetFrequency},
    {"-CHIP", ChipInfo},
    {"-FUSE", FuseInfo},
    {"-IDDQG", IddqG},
    {"-IDDQLP", IddqLP},
};

}  // namespace

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

int RigoMain(int argc, char** argv)
{
    if (argc < 2)
        ExitShowHelp(1);
    GetChipInfo();
    for (const Command& command : kCommands) {
        if (stricmp(argv[1], command.keyword) == 0) {
            command.action(argc, argv);
            return 0;
        }
    }
    ExitShowHelp(1);
}
