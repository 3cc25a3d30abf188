#include "reference.h"

// Fuse block of a typical part: visibility off at power-on (MISC_CLK_ENB bit 28 clear),
// speedo and IDDQ fields in words 69 and 70, their low bits in the redundant pairs 203 to 224.
namespace {

const uint32_t kFuseBlock = 0x7000F800;

void SetFuse(Board& board, int word, uint32_t value)
{
    board.SetWord(kFuseBlock + 4 * word, value);
}

}  // namespace

RIGOSIM_REFERENCE(fuses)
{
    if (chipId != 0x30 && chipId != 0x35)
        return;
    board.SetWord(0x60006048, 0x04000000);
    // Speedo-G 0x258 << 2 | 2 = 2402, Speedo-LP 0x230 << 2 | 1 = 2241
    SetFuse(board, 69, 0x02580230);
    SetFuse(board, 205, 1);
    SetFuse(board, 208, 1);
    // IDDQ-G 0x5F << 3 | 1 = 761 mA, IDDQ-LP 0x0C << 4 | 5 = 197 mA
    SetFuse(board, 70, 0x00000BEC);
    SetFuse(board, 211, 1);
    SetFuse(board, 217, 1);
    SetFuse(board, 222, 1);
}
