// The regulator command grammar, shared by every regulator command:
//   -<chip> list [<I2C_NODE> <I2C_ADDR>]
//   -<chip> [<I2C_NODE> <I2C_ADDR>] <NAME> [ON/OFF/VALUE]
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "cli/cli.h"
#include "cli/registry.h"
#include "cli/values.h"
#include "pmic/tps65911.h"
#include "soc/chip.h"

namespace {

enum RegulatorAction { kListRails, kReadRail, kWriteRail };

struct RegulatorArgs {
    RegulatorAction action;
    I2cDevice device;
    const char* name;   // read and write
    const char* value;  // write: the last argument as typed
};

// Parses argv[2..]; usage errors (wrong count, address 0) print the help and exit 1.
RegulatorArgs ParseRegulatorArgs(int argc, char** argv, std::span<const BusDefault> defaults)
{
    BusDefault bus = DefaultBus(defaults);
    RegulatorArgs args = {kListRails, {bus.bus, bus.address}, nullptr, nullptr};
    if (argc < 3)
        ExitShowHelp(1);
    if (stricmp(argv[2], "list") == 0) {
        if (argc != 3 && argc != 5)
            ExitShowHelp(1);
        if (argc == 5)
            args.device = {ParseNumber(argv[3]), ParseNumber(argv[4])};
    } else {
        if (argc > 6)
            ExitShowHelp(1);
        if (argc >= 5)
            args.device = {ParseNumber(argv[2]), ParseNumber(argv[3])};
        if (argc % 2 == 1) {
            args.action = kReadRail;
            args.name = argv[argc - 1];
        } else {
            args.action = kWriteRail;
            args.name = argv[argc - 2];
            args.value = argv[argc - 1];
        }
    }
    if (args.device.address == 0)
        ExitShowHelp(1);
    return args;
}

// 1 for "ON", 0 for "OFF" (any case), -1 for anything else.
int OnOffKeyword(const char* word)
{
    if (stricmp(word, "ON") == 0)
        return 1;
    if (stricmp(word, "OFF") == 0)
        return 0;
    return -1;
}

[[noreturn]] void ExitVoltageFailure(const char* verb, const char* chip)
{
    printf("Error: An error occurred while attempting to %s the %s voltage.\n", verb, chip);
    exit(1);
}

[[noreturn]] void ExitInvalidValue(const char* text)
{
    printf("[VALUE] is not valid [%s]\n", text);
    exit(1);
}

// verb: what the exit message says ("read" or "write"); action: what the error-code line
// says ("get voltage", "turn output ON" ...).
void ReportFailure(const RegulatorCommand& command, int status, const char* verb, const char* action)
{
    if (status == 0)
        return;
    if (command.failures == kExitOnFailure)
        ExitVoltageFailure(verb, command.chip);
    if (command.failures == kPrintErrorCode)
        printf("Failed to %s [ERR CODE: %i]\n", action, status);
}

// ON, OFF or a voltage; the driver's status, or 1 when there was nothing to write.
int WriteRail(const RegulatorCommand& command, const I2cDevice& device, const char* name, const char* value)
{
    const RegulatorDriver& driver = command.driver;
    if (int onoff = OnOffKeyword(value); driver.setState != nullptr && onoff >= 0) {
        int status = driver.setState(device, name, onoff == 1);
        ReportFailure(command, status, "write", onoff == 1 ? "turn output ON" : "turn output OFF");
        return status;
    }
    double voltage = 0;
    if (!command.parseValue(name, value, &voltage))
        return 1;
    int status = driver.setVoltage(device, name, voltage);
    ReportFailure(command, status, "write", "set voltage");
    return status;
}

}  // namespace

BusDefault DefaultBus(std::span<const BusDefault> defaults)
{
    DWORD chipId = RunningChip().id;
    for (const BusDefault& entry : defaults)
        if (entry.chipId == chipId)
            return entry;
    return {chipId, 0, 0};
}

void RunRegulator(int argc, char** argv, const RegulatorCommand& command)
{
    if (command.bypass != nullptr && argc >= 3 && stricmp(argv[2], "bypass") == 0) {
        command.bypass(argc, argv, command.defaults);
        return;
    }
    RegulatorArgs args = ParseRegulatorArgs(argc, argv, command.defaults);
    if (args.action == kListRails)
        command.driver.list(args.device);
    else if (args.action == kReadRail)
        ReportFailure(command, command.driver.read(args.device, args.name), "read", "get voltage");
    else if (WriteRail(command, args.device, args.name, args.value) == 0 && command.readBack)
        command.driver.read(args.device, args.name);
}

bool TruncatedValue(const char*, const char* text, double* voltage)
{
    *voltage = DoubleToDword(strtod(text, nullptr));
    return true;
}

bool TenMillivoltSteps(const char*, const char* text, double* voltage)
{
    *voltage = ParseNumber(text) / 10 * 10;
    return true;
}

bool NonZeroTenMillivoltSteps(const char* name, const char* text, double* voltage)
{
    TenMillivoltSteps(name, text, voltage);
    if (*voltage == 0)
        ExitInvalidValue(text);
    return true;
}

bool WholeMillivolts(const char*, const char* text, double* voltage)
{
    long long value = strtoll(text, nullptr, 10);
    if (value > INT32_MAX)
        value = INT32_MAX;
    if (value < INT32_MIN)
        value = INT32_MIN;
    *voltage = static_cast<DWORD>(static_cast<int32_t>(value));
    return true;
}

bool RealMillivolts(const char*, const char* text, double* voltage)
{
    *voltage = strtod(text, nullptr);
    return true;
}

bool Tps65911StepMillivolts(const char* name, const char* text, double* voltage)
{
    double value = strtod(text, nullptr);
    if (!(value > 0))
        ExitInvalidValue(text);
    double stepMillivolts = 0;
    if (!tps65911_RailStepMillivolts(name, &stepMillivolts))
        return false;
    *voltage = ParseNumber(text) + (modulus(value, stepMillivolts) == 0 ? 1 : 0);
    return true;
}
