#include "soc/boardid.h"
#include "cli/cli.h"
#include "cli/registry.h"
#include "soc/chip.h"

namespace {

// Where the board-ID EEPROM sits on the boards of each chip; other chips' boards have none.
const BusDefault kEepromBus[] = {
    {kChipBelk, 4, 0x56},
    {kChipUnnamed33, 4, 0x56},
    {kChipCorv, 0, 0x56},
};

}  // namespace

BusDefault DefaultBoardIdEeprom()
{
    return DefaultBus(kEepromBus);
}

void BoardIdCommand(int argc, char** argv)
{
    BusDefault eeprom = DefaultBus(kEepromBus);
    if (argc != 2 && argc != 4)
        ExitShowHelp(1);
    if (argc == 4) {
        eeprom.bus = ParseNumber(argv[2]);
        eeprom.address = ParseNumber(argv[3]);
    }
    ListBoardId({eeprom.bus, eeprom.address});
}
