#include "soc/clocks.h"
#include "cli/cli.h"
#include "soc/chip.h"

void FrequencyCommand(int argc, char** argv)
{
    double hertz = 0.0;
    if (stricmp(argv[1], "-OSC") == 0) {
        GetOscillatorHertz(&hertz, 1);
        return;
    }
    if (argc != 3)
        ExitShowHelp(1);
    if (stricmp(argv[2], "OSC") == 0)
        GetOscillatorHertz(&hertz, 1);
    else if (stricmp(argv[2], "EMC") == 0)
        GetEmcClockHertz(&hertz, 1);
}

void PllCommand(int argc, char** argv)
{
    if (argc < 3)
        ExitShowHelp(1);
    if (stricmp(argv[2], "list") == 0) {
        ListPllClocks(RunningChip().id);
        return;
    }
    if (RunningChip().id != kChipBelk)
        ExitShowHelp(1);
    ListPllClockBelk(argv[2]);
}
