#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "bus/busfault.h"
#include "bus/mem.h"
#include "cli/cli.h"
#include "cli/registry.h"
#include "soc/chip.h"

namespace {

const CommandRow* FindCommand(const char* keyword)
{
    for (const CommandRow& command : CommandRegistry())
        if (stricmp(keyword, command.keyword) == 0)
            return &command;
    return nullptr;
}

int Dispatch(int argc, char** argv)
{
    if (argc < 2)
        ExitShowHelp(1);
    const CommandRow* command = FindCommand(argv[1]);
    // The chip is read first for an unknown keyword too, before the help.
    if (command == nullptr || command->readsChipId)
        IdentifyRunningChip();
    if (command == nullptr)
        ExitShowHelp(1);
    if (command->regulator != nullptr)
        RunRegulator(argc, argv, *command->regulator);
    else
        command->handler(argc, argv);
    return 0;
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
