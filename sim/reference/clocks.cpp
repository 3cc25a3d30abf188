#include "reference.h"

// Clock-and-reset controller: oscillator, PLLs and the EMC clock source at typical
// boot settings. Base registers carry ENABLE (bit 30) with DIVP 22:20, DIVN 17:8 and
// DIVM 4:0; output registers carry a 7.1 ratio and RSTN/CLKEN per output.
namespace {

struct ChipClocks {
    uint32_t chipId;
    uint32_t oscControl;  // OSC_FREQ in bits 31:28
    uint32_t pllm;        // PLLM base: the EMC's source
    uint32_t emcSource;   // EMC_2X_CLK_SRC 31:28, EMC_2X_CLK_DIVISOR 7:0
};

const ChipClocks kChipClocks[] = {
    {0x20, 0x800003F1, 0x4002580C, 0x00000002},  // 12 MHz; PLLM 600 MHz, EMC 300 MHz
    {0x30, 0x800003F1, 0x40029A0C, 0x00000002},  // 12 MHz; PLLM 666 MHz, EMC 333 MHz
    {0x35, 0x800003F1, 0x4003180C, 0x00000002},  // 12 MHz; PLLM 792 MHz, EMC 396 MHz
    {0x14, 0x400003F1, 0x4003100C, 0x00000002},  // 19.2 MHz; PLLM 784 MHz, EMC 392 MHz
};

}  // namespace

RIGOSIM_REFERENCE(clocks)
{
    for (const ChipClocks& clocks : kChipClocks) {
        if (clocks.chipId != chipId)
            continue;
        board.SetWord(0x60006050, clocks.oscControl);
        board.SetWord(0x60006080, 0x4002580C);  // PLLC 600 MHz
        board.SetWord(0x60006084, 0x00000303);  // PLLC_OUT1 /2.5: 240 MHz
        board.SetWord(0x60006090, clocks.pllm);
        board.SetWord(0x60006094, 0x00000403);  // PLLM_OUT1 /3
        board.SetWord(0x600060A0, 0x40001109);  // PLLP 17/9 of its 216 MHz reference: 408 MHz
        board.SetWord(0x600060A4, 0x0F035303);  // PLLP_OUT1 /42.5: 9.6 MHz, PLLP_OUT2 /8.5: 48 MHz
        board.SetWord(0x600060A8, 0x02030603);  // PLLP_OUT3 /4: 102 MHz, PLLP_OUT4 /2: 204 MHz
        board.SetWord(0x600060B0, 0x4000C019);  // PLLA 192/25 of PLLP_OUT1: 73.728 MHz
        board.SetWord(0x600060C0, 0x4013C00C);  // PLLU 960/12, /2: 480 MHz
        board.SetWord(0x600060D0, 0x4002520C);  // PLLD 594 MHz
        board.SetWord(0x600060E0, 0x4003E80C);  // PLLX 1 GHz
        board.SetWord(0x600060E8, 0x8000640C);  // PLLE enabled, 100/12: 100 MHz
        board.SetWord(0x6000619C, clocks.emcSource);
    }
}
