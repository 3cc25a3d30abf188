#include <cstdio>
#include <cstdlib>

#include "cli/cli.h"
#include "cli/registry.h"
#include "pmic/tps65911.h"

// -tps65911 bypass [<I2C_NODE> <I2C_ADDR>] LDO7|LDO8
void Tps65911Bypass(int argc, char** argv, std::span<const BusDefault> defaults)
{
    BusDefault where = DefaultBus(defaults);
    if (argc != 4 && argc != 6)
        ExitShowHelp(1);
    if (argc == 6) {
        where.bus = ParseNumber(argv[3]);
        where.address = ParseNumber(argv[4]);
    }
    if (where.address == 0)
        ExitShowHelp(1);
    const char* typed = argv[argc - 1];
    for (const char* rail : {"LDO7", "LDO8"}) {
        if (stricmp(typed, rail) != 0)
            continue;
        if (tps65911_BypassLdo({where.bus, where.address}, rail) != 0) {
            printf("Error: Unable to bypass %s. You may need to restart your device.\n\n", rail);
            exit(1);
        }
        return;
    }
    printf("Error: Does not support bypass of %s.\n", typed);
    exit(1);
}
