#include <cstdint>
#include <cstdlib>

#include "main.h"
#include "regulator.h"

BusDefault DefaultBus(std::span<const BusDefault> defaults)
{
    for (const BusDefault& entry : defaults)
        if (entry.chipId == g_ChipVersion)
            return entry;
    return {g_ChipVersion, 0, 0};
}

RegulatorArgs ParseRegulatorArgs(int argc, char** argv, std::span<const BusDefault> defaults)
{
    BusDefault bus = DefaultBus(defaults);
    RegulatorArgs args = {RailList, bus.bus, bus.address, nullptr, nullptr};
    if (argc < 3)
        ExitShowHelp(1);
    if (stricmp(argv[2], "list") == 0) {
        if (argc != 3 && argc != 5)
            ExitShowHelp(1);
        if (argc == 5) {
            args.bus = ParseNumber(argv[3]);
            args.address = ParseNumber(argv[4]);
        }
    } else {
        if (argc > 6)
            ExitShowHelp(1);
        if (argc >= 5) {
            args.bus = ParseNumber(argv[2]);
            args.address = ParseNumber(argv[3]);
        }
        if (argc % 2 == 1) {
            args.action = RailRead;
            args.name = argv[argc - 1];
        } else {
            args.action = RailWrite;
            args.name = argv[argc - 2];
            args.value = argv[argc - 1];
        }
    }
    if (args.address == 0)
        ExitShowHelp(1);
    return args;
}

bool IsFirstWord(int argc, char** argv, const char* word)
{
    return argc >= 3 && stricmp(argv[2], word) == 0;
}

int OnOffKeyword(const char* word)
{
    if (stricmp(word, "ON") == 0)
        return 1;
    if (stricmp(word, "OFF") == 0)
        return 0;
    return -1;
}

void RunSteppedRegulator(int argc, char** argv, const SteppedRegulator& command)
{
    RegulatorArgs args = ParseRegulatorArgs(argc, argv, command.defaults);
    if (command.init(args.bus, args.address, kRegAddrBits, kRegDataBits, kRegClockKHz) != 0)
        ExitShowMessage(command.initFailed, 1);
    DWORD volt = 0;
    if (args.action == RailList)
        command.listVolt();
    else if (args.action == RailRead) {
        if (command.getVolt(args.name, &volt) != 0)
            ExitShowMessage(command.readFailed, 1);
    } else if (command.setVolt(args.name, TenMillivoltSteps(args.value)) != 0)
        ExitShowMessage(command.writeFailed, 1);
}

void RunWholeMillivoltRegulator(int argc, char** argv, const WholeMillivoltRegulator& command)
{
    RegulatorArgs args = ParseRegulatorArgs(argc, argv, command.defaults);
    if (command.init(args.bus, args.address, kRegAddrBits, kRegDataBits, kRegClockKHz) != 0)
        ExitShowMessage(command.initFailed, 1);
    DWORD volt = 0;
    if (args.action == RailList)
        command.listVolt();
    else if (args.action == RailRead)
        command.getVolt(args.name, &volt);
    else if (int onoff = OnOffKeyword(args.value); onoff >= 0)
        command.setVoltOnOff(args.name, onoff);
    else
        command.setVolt(args.name, WholeMillivolts(args.value));
}

DWORD TruncatedMillivolts(const char* text)
{
    return DoubleToDword(strtod(text, nullptr));
}

DWORD TenMillivoltSteps(const char* text)
{
    return ParseNumber(text) / 10 * 10;
}

DWORD WholeMillivolts(const char* text)
{
    long long value = strtoll(text, nullptr, 10);
    if (value > INT32_MAX)
        value = INT32_MAX;
    if (value < INT32_MIN)
        value = INT32_MIN;
    return static_cast<DWORD>(static_cast<int32_t>(value));
}
