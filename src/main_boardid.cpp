#include "eeprom.h"
#include "main.h"
#include "regulator.h"

namespace {

// Where the board-ID EEPROM sits on the boards of each chip; other chips' boards have none.
const BusDefault kEepromBus[] = {
    {0x30, 4, 0x56},
    {0x33, 4, 0x56},
    {0x35, 0, 0x56},
};

}  // namespace

void BoardID(int argc, char** argv)
{
    BusDefault eeprom = DefaultBus(kEepromBus);
    if (argc != 2 && argc != 4)
        ExitShowHelp(1);
    if (argc == 4) {
        eeprom.bus = ParseNumber(argv[2]);
        eeprom.address = ParseNumber(argv[3]);
    }
    if (InitEeprom(eeprom.bus, eeprom.address) != 0)
        ExitShowMessage("Error: Unable to initialize Board ID EEPROM!\n", 1);
    ListEeprom();
}
