#include "pmic/ds442x.h"
#include "cli/cli.h"
#include "soc/chip.h"

namespace {

// The margining DAC sits on bus 0 of every board that has one.
const DWORD kDacBus = 0;

// What differs between the board families: where the DAC answers and how its codes map to
// the rail.
struct MarginModel {
    DWORD address;
    int (*listOutputs)(const I2cDevice& dac, const Ds442xBoard& board, int outputs);
    int (*readOutput)(const I2cDevice& dac, const Ds442xBoard& board, const char* name);
    int (*setOutput)(const I2cDevice& dac, const Ds442xBoard& board, const char* name, DWORD millivolts);
    bool explicitLimits;  // the forms with the rail limits on the command line act
};

const MarginModel kLimitModel = {0x10, ds442x_ListOutputs, ds442x_ReadOutput, ds442x_SetOutput, true};
const MarginModel kStepModel = {0x70, ds442x_ListStepOutputs, ds442x_ReadStepOutput, ds442x_SetStepOutput, false};

const Ds442xBoard& SelectBoard(const char* code)
{
    const Ds442xBoard* board = ds442x_FindBoard(code);
    if (board == nullptr)
        ExitShowMessage("This platform does not support Maxim DS4422N+/DS4424N+ I/O.", 1);
    return *board;
}

void RequireAddress(DWORD address)
{
    if (address == 0)
        ExitShowHelp(1);
}

// list <PLATFORM> [<I2C_NODE> <I2C_ADDR>]
void ListOutputs(int argc, char** argv, const MarginModel& model, int outputs)
{
    if (argc != 4 && argc != 6)
        ExitShowHelp(1);
    const Ds442xBoard& board = SelectBoard(argv[3]);
    I2cDevice dac = {kDacBus, model.address};
    if (argc == 6)
        dac = {ParseNumber(argv[4]), ParseNumber(argv[5])};
    RequireAddress(dac.address);
    model.listOutputs(dac, board, outputs);
}

// <PLATFORM> [<I2C_NODE> <I2C_ADDR>] <NAME> [VALUE]
void BoardOutput(int argc, char** argv, const MarginModel& model)
{
    I2cDevice dac = {kDacBus, model.address};
    if (argc >= 6)
        dac = {ParseNumber(argv[3]), ParseNumber(argv[4])};
    RequireAddress(dac.address);
    const Ds442xBoard& board = SelectBoard(argv[2]);
    if (argc % 2 == 0)
        model.readOutput(dac, board, argv[argc - 1]);
    else
        model.setOutput(dac, board, argv[argc - 2], ParseNumber(argv[argc - 1]));
}

// <I2C_NODE> <I2C_ADDR> <NAME> <MIN> <NOM> <MAX> <SI> [VALUE]
void ExplicitOutput(int argc, char** argv)
{
    I2cDevice dac = {ParseNumber(argv[2]), ParseNumber(argv[3])};
    RequireAddress(dac.address);
    const char* name = argv[4];
    Ds442xLimits limits = {ParseNumber(argv[5]), ParseNumber(argv[6]), ParseNumber(argv[7]),
                           ParseNumber(argv[8]) != 0};
    if (argc == 9)
        ds442x_ReadOutputWithin(dac, name, limits);
    else
        ds442x_SetOutputWithin(dac, name, limits, ParseNumber(argv[9]));
}

void MarginDac(int argc, char** argv, const MarginModel& model)
{
    int outputs = stricmp(argv[1], "-DS4422N") == 0 ? 2 : 4;
    if (argc < 3)
        ExitShowHelp(1);
    if (stricmp(argv[2], "list") == 0) {
        ListOutputs(argc, argv, model, outputs);
        return;
    }
    if (argc < 4 || argc == 8 || argc > 10)
        ExitShowHelp(1);
    if (argc <= 7)
        BoardOutput(argc, argv, model);
    else if (model.explicitLimits)
        ExplicitOutput(argc, argv);
}

}  // namespace

// Belk-class boards use the limit model, Corv boards the step model; other chips have no DAC.
static const MarginModel* RunningChipModel()
{
    DWORD chipId = RunningChip().id;
    if (chipId == kChipUnnamed33 || chipId == kChipBelk)
        return &kLimitModel;
    if (chipId == kChipCorv)
        return &kStepModel;
    return nullptr;
}

void MarginDacCommand(int argc, char** argv)
{
    const MarginModel* model = RunningChipModel();
    if (model == nullptr)
        ExitShowHelp(1);
    MarginDac(argc, argv, *model);
}

I2cDevice DefaultMarginDac()
{
    const MarginModel* model = RunningChipModel();
    return {kDacBus, model == nullptr ? 0 : model->address};
}
