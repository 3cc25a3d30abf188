#include "soc/dvfs.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>

#include "bus/busfault.h"
#include "bus/mem.h"
#include "soc/clocks.h"

namespace {

// The MC and EMC register blocks share one page; the dump maps it once for each block.
const off_t kMcEmcPage = 0x7000F000;
const size_t kPageBytes = 4096;

// The source sites the mapping failures report.
constexpr MemErrorSite kMcMapSite = {"mem_emc.cpp", 217};
constexpr MemErrorSite kEmcMapSite = {"mem_emc.cpp", 220};

// Each block's base within the page.
enum Block { kMc = 0x000, kEmc = 0x400 };

struct DvfsRegister {
    const char* name;
    Block block;
    DWORD offset;
};

// One DVFS table entry, in the order the table lists its registers.
const DvfsRegister kDvfsRegisters[] = {
    {"EMC_RC", kEmc, 0x02C},
    {"EMC_RFC", kEmc, 0x030},
    {"EMC_RAS", kEmc, 0x034},
    {"EMC_RP", kEmc, 0x038},
    {"EMC_R2W", kEmc, 0x03C},
    {"EMC_W2R", kEmc, 0x040},
    {"EMC_R2P", kEmc, 0x044},
    {"EMC_W2P", kEmc, 0x048},
    {"EMC_RD_RCD", kEmc, 0x04C},
    {"EMC_WR_RCD", kEmc, 0x050},
    {"EMC_RRD", kEmc, 0x054},
    {"EMC_REXT", kEmc, 0x058},
    {"EMC_WEXT", kEmc, 0x0B8},
    {"EMC_WDV", kEmc, 0x05C},
    {"EMC_QUSE", kEmc, 0x060},
    {"EMC_QRST", kEmc, 0x064},
    {"EMC_QSAFE", kEmc, 0x068},
    {"EMC_RDV", kEmc, 0x06C},
    {"EMC_REFRESH", kEmc, 0x070},
    {"EMC_BURST_REFRESH_NUM", kEmc, 0x074},
    {"EMC_PRE_REFRESH_REQ_CNT", kEmc, 0x3DC},
    {"EMC_PDEX2WR", kEmc, 0x078},
    {"EMC_PDEX2RD", kEmc, 0x07C},
    {"EMC_PCHG2PDEN", kEmc, 0x080},
    {"EMC_ACT2PDEN", kEmc, 0x084},
    {"EMC_AR2PDEN", kEmc, 0x088},
    {"EMC_RW2PDEN", kEmc, 0x08C},
    {"EMC_TXSR", kEmc, 0x090},
    {"EMC_TXSRDLL", kEmc, 0x3E4},
    {"EMC_TCKE", kEmc, 0x094},
    {"EMC_TFAW", kEmc, 0x098},
    {"EMC_TRPAB", kEmc, 0x09C},
    {"EMC_TCLKSTABLE", kEmc, 0x0A0},
    {"EMC_TCLKSTOP", kEmc, 0x0A4},
    {"EMC_TREFBW", kEmc, 0x0A8},
    {"EMC_QUSE_EXTRA", kEmc, 0x0AC},
    {"EMC_FBIO_CFG6", kEmc, 0x114},
    {"EMC_ODT_WRITE", kEmc, 0x0B0},
    {"EMC_ODT_READ", kEmc, 0x0B4},
    {"EMC_FBIO_CFG5", kEmc, 0x104},
    {"EMC_CFG_DIG_DLL", kEmc, 0x2BC},
    {"EMC_CFG_DIG_DLL_PERIOD", kEmc, 0x2C0},
    {"EMC_DLL_XFORM_DQS0", kEmc, 0x328},
    {"EMC_DLL_XFORM_DQS1", kEmc, 0x32C},
    {"EMC_DLL_XFORM_DQS2", kEmc, 0x330},
    {"EMC_DLL_XFORM_DQS3", kEmc, 0x334},
    {"EMC_DLL_XFORM_DQS4", kEmc, 0x338},
    {"EMC_DLL_XFORM_DQS5", kEmc, 0x33C},
    {"EMC_DLL_XFORM_DQS6", kEmc, 0x340},
    {"EMC_DLL_XFORM_DQS7", kEmc, 0x344},
    {"EMC_DLL_XFORM_QUSE0", kEmc, 0x348},
    {"EMC_DLL_XFORM_QUSE1", kEmc, 0x34C},
    {"EMC_DLL_XFORM_QUSE2", kEmc, 0x350},
    {"EMC_DLL_XFORM_QUSE3", kEmc, 0x354},
    {"EMC_DLL_XFORM_QUSE4", kEmc, 0x358},
    {"EMC_DLL_XFORM_QUSE5", kEmc, 0x35C},
    {"EMC_DLL_XFORM_QUSE6", kEmc, 0x360},
    {"EMC_DLL_XFORM_QUSE7", kEmc, 0x364},
    {"EMC_DLI_TRIM_TXDQS0", kEmc, 0x3A8},
    {"EMC_DLI_TRIM_TXDQS1", kEmc, 0x3AC},
    {"EMC_DLI_TRIM_TXDQS2", kEmc, 0x3B0},
    {"EMC_DLI_TRIM_TXDQS3", kEmc, 0x3B4},
    {"EMC_DLI_TRIM_TXDQS4", kEmc, 0x3B8},
    {"EMC_DLI_TRIM_TXDQS5", kEmc, 0x3BC},
    {"EMC_DLI_TRIM_TXDQS6", kEmc, 0x3C0},
    {"EMC_DLI_TRIM_TXDQS7", kEmc, 0x3C4},
    {"EMC_DLL_XFORM_DQ0", kEmc, 0x368},
    {"EMC_DLL_XFORM_DQ1", kEmc, 0x36C},
    {"EMC_DLL_XFORM_DQ2", kEmc, 0x370},
    {"EMC_DLL_XFORM_DQ3", kEmc, 0x374},
    {"EMC_XM2CMDPADCTRL", kEmc, 0x2F0},
    {"EMC_XM2DQSPADCTRL2", kEmc, 0x2FC},
    {"EMC_XM2DQPADCTRL2", kEmc, 0x304},
    {"EMC_XM2CLKPADCTRL", kEmc, 0x308},
    {"EMC_XM2COMPPADCTRL", kEmc, 0x30C},
    {"EMC_XM2VTTGENPADCTRL", kEmc, 0x310},
    {"EMC_XM2VTTGENPADCTRL2", kEmc, 0x314},
    {"EMC_XM2QUSEPADCTRL", kEmc, 0x318},
    {"EMC_XM2DQSPADCTRL3", kEmc, 0x0F8},
    {"EMC_CTT_TERM_CTRL", kEmc, 0x2DC},
    {"EMC_ZCAL_INTERVAL", kEmc, 0x2E0},
    {"EMC_ZCAL_WAIT_CNT", kEmc, 0x2E4},
    {"EMC_MRS_WAIT_CNT", kEmc, 0x0C8},
    {"EMC_AUTO_CAL_CONFIG", kEmc, 0x2A4},
    {"EMC_CTT", kEmc, 0x0BC},
    {"EMC_CTT_DURATION", kEmc, 0x2D8},
    {"EMC_DYN_SELF_REF_CONTROL", kEmc, 0x3E0},
    {"MC_EMEM_ARB_CFG", kMc, 0x090},
    {"MC_EMEM_ARB_OUTSTANDING_REQ", kMc, 0x094},
    {"MC_EMEM_ARB_TIMING_RCD", kMc, 0x098},
    {"MC_EMEM_ARB_TIMING_RP", kMc, 0x09C},
    {"MC_EMEM_ARB_TIMING_RC", kMc, 0x0A0},
    {"MC_EMEM_ARB_TIMING_RAS", kMc, 0x0A4},
    {"MC_EMEM_ARB_TIMING_FAW", kMc, 0x0A8},
    {"MC_EMEM_ARB_TIMING_RRD", kMc, 0x0AC},
    {"MC_EMEM_ARB_TIMING_RAP2PRE", kMc, 0x0B0},
    {"MC_EMEM_ARB_TIMING_WAP2PRE", kMc, 0x0B4},
    {"MC_EMEM_ARB_TIMING_R2R", kMc, 0x0B8},
    {"MC_EMEM_ARB_TIMING_W2W", kMc, 0x0BC},
    {"MC_EMEM_ARB_TIMING_R2W", kMc, 0x0C0},
    {"MC_EMEM_ARB_TIMING_W2R", kMc, 0x0C4},
    {"MC_EMEM_ARB_DA_TURNS", kMc, 0x0D0},
    {"MC_EMEM_ARB_DA_COVERS", kMc, 0x0D4},
    {"MC_EMEM_ARB_MISC0", kMc, 0x0D8},
    {"MC_EMEM_ARB_RING1_THROTTLE", kMc, 0x0E0},
    {"EMC_FBIO_SPARE", kEmc, 0x100},
    {"EMC_CFG_RSV", kEmc, 0x120},
};

const DvfsRegister kZcalWaitCount = {"EMC_ZCAL_WAIT_CNT after clock change", kEmc, 0x2E4};
const DvfsRegister kAutoCalInterval = {"EMC_AUTO_CAL_INTERVAL", kEmc, 0x2A8};
const DvfsRegister kEmcCfg = {"EMC_CFG", kEmc, 0x00C};
const int kEmcCfgPeriodicQrst = 21;
const int kEmcCfgDynSelfRef = 28;

// The table's registers, then those read after it that it does not hold.
std::vector<const DvfsRegister*> RecordedDvfsRegisters()
{
    std::vector<const DvfsRegister*> registers;
    for (const DvfsRegister& reg : kDvfsRegisters)
        registers.push_back(&reg);
    registers.push_back(&kAutoCalInterval);
    registers.push_back(&kEmcCfg);
    return registers;
}

void PrintDvfsValue(DWORD value, const char* text)
{
    printf("0x%08lx, /* %s */\n", static_cast<unsigned long>(value), text);
}

DWORD ReadRegister(const volatile void* virt_addr)
{
    return *static_cast<const volatile DWORD*>(virt_addr);
}

const volatile void* RegisterAddress(const volatile void* mc, const volatile void* emc, const DvfsRegister& reg)
{
    const volatile char* base = static_cast<const volatile char*>(reg.block == kMc ? mc : emc);
    return base + reg.block + reg.offset;
}

void PrintTabbedDvfsEntry(const volatile void* virt_addr, const char* text)
{
    DWORD value = ReadRegister(virt_addr);  // before the tab: a read that faults leaves no half line
    printf("\t0x%08lx, /* %s */\n", static_cast<unsigned long>(value), text);
}

void PrintDvfsEntry(const volatile void* virt_addr, const char* text)
{
    PrintDvfsValue(ReadRegister(virt_addr), text);
}

}  // namespace

int DvfsTable()
{
    int fd = open("/dev/mem", O_RDWR | O_DSYNC);
    if (fd < 0)
        return 1;

    double emcHertz = 0.0;
    GetEmcClockHertz(&emcHertz, 0);
    DWORD sdramKilohertz = DoubleToDword(emcHertz / 1000.0);
    printf("0x32,\t\t/* Rev 3.2 */\n");
    printf("%d,\t\t/* SDRAM frequency */\n", static_cast<int>(sdramKilohertz));
    printf("{\n");

    void* mapMc = mmap(nullptr, kPageBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, kMcEmcPage);
    if (mapMc == MAP_FAILED)
        ThrowMemError(kMcMapSite);
    void* mapEmc = mmap(nullptr, kPageBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, kMcEmcPage);
    if (mapEmc == MAP_FAILED)
        ThrowMemError(kEmcMapSite);

    // The dump starts with an EMC register: a dead page faults there first.
    GuardBusFault(mapEmc, kPageBytes, kMcEmcPage, kMcEmcPage, [&] {
        for (const DvfsRegister& reg : kDvfsRegisters)
            PrintTabbedDvfsEntry(RegisterAddress(mapMc, mapEmc, reg), reg.name);
        printf("}\n");
        PrintDvfsEntry(RegisterAddress(mapMc, mapEmc, kZcalWaitCount), kZcalWaitCount.name);
        PrintDvfsEntry(RegisterAddress(mapMc, mapEmc, kAutoCalInterval), kAutoCalInterval.name);
        DWORD cfg = ReadRegister(RegisterAddress(mapMc, mapEmc, kEmcCfg));
        PrintDvfsValue((cfg >> kEmcCfgPeriodicQrst) & 1, "EMC_CFG.PERIODIC_QRST");
        PrintDvfsValue((cfg >> kEmcCfgDynSelfRef) & 1, "EMC_CFG.DYN_SELF_REF");
    });
    fflush(stdout);

    int result = 0;
    if (munmap(mapMc, kPageBytes) != 0)
        result = 2;
    else if (munmap(mapEmc, kPageBytes) != 0)
        result = 2;
    close(fd);
    return result;
}

std::vector<RegisterRecord> RecordDvfsRegisters()
{
    std::vector<RegisterRecord> records;
    for (const DvfsRegister* reg : RecordedDvfsRegisters()) {
        DWORD address = static_cast<DWORD>(kMcEmcPage) + reg->block + reg->offset;
        DWORD value = 0;
        ReadMemory(PhysicalAddress(address), 32, 0xFFFFFFFF, 0, &value);
        std::vector<std::string> readings;
        if (reg == &kEmcCfg)
            readings = {Printed("PERIODIC_QRST %u", static_cast<unsigned>((value >> kEmcCfgPeriodicQrst) & 1)),
                        Printed("DYN_SELF_REF %u", static_cast<unsigned>((value >> kEmcCfgDynSelfRef) & 1))};
        records.push_back({address, value, RecordComment(reg->name, readings)});
    }
    return records;
}
