#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "bus/busfault.h"
#include "bus/mem.h"
#include "cli/cli.h"
#include "cli/registry.h"
#include "soc/chip.h"

namespace {

int Dispatch(int argc, char** argv)
{
    if (argc < 2)
        ExitShowHelp(1);
    IdentifyRunningChip();
    for (const CommandRow& command : CommandRegistry()) {
        if (stricmp(argv[1], command.keyword) != 0)
            continue;
        if (command.regulator != nullptr)
            RunRegulator(argc, argv, *command.regulator);
        else
            command.handler(argc, argv);
        return 0;
    }
    ExitShowHelp(1);
}

}  // namespace

int RigoMain(int argc, char** argv)
{
    try {
        return Dispatch(argc, argv);
    } catch (const MemError& error) {
        fprintf(stderr, "Error at line %d, file %s (%d) [%s]\n", error.site.line, error.site.file, error.err,
                strerror(error.err));
        return 1;
    } catch (const BusFault& fault) {
        fflush(stdout);
        fprintf(stderr,
                "Error: Bus fault at 0x%08" PRIX64 ": nothing answers there (block unclocked, powered down or not present).\n",
                fault.address);
        return 1;
    }
}
