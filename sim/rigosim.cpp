// rigosim: makes, inspects and changes simulated boards, and runs programs on them.
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "board.h"
#include "export.h"
#include "faults.h"
#include "import.h"
#include "reference.h"
#include "vcd.h"

namespace {

const uint32_t kChipIdRegister = 0x70000804;

const char kUsage[] =
    "usage: rigosim create BOARD MODEL            MODEL: avin, belk, corv, dern or ID[:REV]\n"
    "       rigosim rd BOARD ADDR [COUNT]\n"
    "       rigosim wr BOARD ADDR VALUE\n"
    "       rigosim add BOARD BUS [ADDR]\n"
    "       rigosim remove BOARD BUS ADDR\n"
    "       rigosim get BOARD BUS ADDR REG [COUNT]\n"
    "       rigosim set BOARD BUS ADDR REG BYTE...\n"
    "       rigosim fault BOARD RULE... | --clear\n"
    "       rigosim load BOARD [--device BUS ADDR | --at ADDRESS] [--raw] FILE...\n"
    "       rigosim save BOARD [FILE]\n"
    "       rigosim trace BOARD [--clear | --vcd FILE]\n"
    "       rigosim run BOARD [--realtime] [--] PROGRAM [ARGS...]\n";

struct Model {
    const char* name;
    uint32_t id;
};

const Model kModels[] = {{"avin", 0x20}, {"belk", 0x30}, {"corv", 0x35}, {"dern", 0x14}};

typedef std::vector<std::string> Args;  // the words after the command's name

struct UsageError {};

uint32_t Number(const std::string& text, unsigned long max)
{
    unsigned long value = 0;
    if (!ParseUnsigned(text, &value) || value > max)
        throw std::runtime_error("bad number '" + text + "'");
    return static_cast<uint32_t>(value);
}

int Bus(const std::string& text)
{
    return static_cast<int>(Number(text, 0xFFFF));
}

int Address(const std::string& text)
{
    return static_cast<int>(Number(text, 0x7F));
}

// The chip ID register's value for a model name or ID[:REV]; the revision defaults to 1.
uint32_t ChipIdRegister(const std::string& model)
{
    for (const Model& known : kModels)
        if (strcasecmp(model.c_str(), known.name) == 0)
            return known.id << 8 | 1 << 4;
    size_t colon = model.find(':');
    uint32_t id = Number(model.substr(0, colon), 0xFF);
    uint32_t revision = colon == std::string::npos ? 1 : Number(model.substr(colon + 1), 0xF);
    return id << 8 | revision << 4;
}

void Create(Board& board, const Args& args)
{
    uint32_t chipId = ChipIdRegister(args[0]);
    board.Create();
    board.SetWord(kChipIdRegister, chipId);
    RunReferenceFragments(board, chipId >> 8);
}

void ReadWords(Board& board, const Args& args)
{
    uint32_t address = Number(args[0], 0xFFFFFFFC);
    uint32_t count = args.size() > 1 ? Number(args[1], (0x100000000ull - address) / 4) : 1;
    for (uint32_t i = 0; i < count; ++i)
        printf("0x%08x\n", static_cast<unsigned>(board.Word(address + 4 * i)));
}

void WriteWord(Board& board, const Args& args)
{
    board.SetWord(Number(args[0], 0xFFFFFFFC), Number(args[1], 0xFFFFFFFF));
}

void Add(Board& board, const Args& args)
{
    if (args.size() == 1)
        board.AddBus(Bus(args[0]));
    else
        board.AddDevice(Bus(args[0]), Address(args[1]));
}

void Remove(Board& board, const Args& args)
{
    board.RemoveDevice(Bus(args[0]), Address(args[1]));
}

void Get(Board& board, const Args& args)
{
    int count = args.size() > 3 ? static_cast<int>(Number(args[3], 256)) : 1;
    std::vector<uint8_t> bytes = board.Registers(Bus(args[0]), Address(args[1]), Number(args[2], 0xFF), count);
    for (size_t i = 0; i < bytes.size(); ++i)
        printf(i == 0 ? "%02x" : " %02x", static_cast<unsigned>(bytes[i]));
    printf("\n");
}

void Set(Board& board, const Args& args)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 3; i < args.size(); ++i)
        bytes.push_back(static_cast<uint8_t>(Number(args[i], 0xFF)));
    board.SetRegisters(Bus(args[0]), Address(args[1]), Number(args[2], 0xFF), bytes);
}

void Fault(Board& board, const Args& args)
{
    if (args[0] == "--clear") {
        if (args.size() != 1)
            throw UsageError();
        board.ClearFaults();
        return;
    }
    std::string rule;
    for (const std::string& word : args)
        rule += (rule.empty() ? "" : " ") + word;
    board.AddFault(rule);
}

void Trace(Board& board, const Args& args)
{
    if (args.empty()) {
        fputs(board.Trace().c_str(), stdout);
    } else if (args[0] == "--clear" && args.size() == 1) {
        board.ClearTrace();
    } else if (args[0] == "--vcd" && args.size() == 2) {
        WriteWholeFile(args[1], TraceVcd(board.Trace()));
    } else {
        throw UsageError();
    }
}

void Save(Board& board, const Args& args)
{
    std::string text = SavedBoard(board);
    if (args.empty())
        fputs(text.c_str(), stdout);
    else
        WriteWholeFile(args[0], text);
}

// The preload library sits next to this program.
std::string LibraryPath()
{
    std::filesystem::path library = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "librigosim.so";
    if (!std::filesystem::exists(library))
        throw std::runtime_error(library.string() + ": not found");
    return library.string();
}

void RunProgram(Board& board, const Args& args)
{
    size_t first = 0;
    bool realtime = first < args.size() && args[first] == "--realtime";
    first += realtime ? 1 : 0;
    first += first < args.size() && args[first] == "--" ? 1 : 0;
    if (first >= args.size())
        throw UsageError();
    std::string preload = LibraryPath();
    if (const char* others = getenv("LD_PRELOAD"); others != nullptr && *others != '\0')
        preload += std::string(":") + others;
    setenv("LD_PRELOAD", preload.c_str(), 1);
    setenv("RIGOSIM_BOARD", std::filesystem::absolute(board.Path()).c_str(), 1);
    if (realtime)
        setenv("RIGOSIM_REALTIME", "1", 1);
    else
        unsetenv("RIGOSIM_REALTIME");
    std::vector<char*> argv;
    for (size_t i = first; i < args.size(); ++i)
        argv.push_back(const_cast<char*>(args[i].c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    throw std::runtime_error(args[first] + ": " + strerror(errno));
}

struct Command {
    const char* name;
    size_t minArgs;  // after BOARD
    size_t maxArgs;
    void (*action)(Board& board, const Args& args);
};

const Command kCommands[] = {
    {"create", 1, 1, Create}, {"rd", 1, 2, ReadWords},      {"wr", 2, 2, WriteWord}, {"add", 1, 2, Add},
    {"remove", 2, 2, Remove}, {"get", 3, 4, Get},           {"set", 4, 260, Set},    {"fault", 1, 64, Fault},
    {"trace", 0, 2, Trace},   {"run", 1, SIZE_MAX, RunProgram}, {"load", 1, SIZE_MAX, LoadFiles},
    {"save", 0, 1, Save},
};

int Usage()
{
    fputs(kUsage, stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    std::string name = argv[1];
    Args args(argv + 3, argv + argc);
    for (const Command& command : kCommands) {
        if (name != command.name)
            continue;
        if (args.size() < command.minArgs || args.size() > command.maxArgs)
            return Usage();
        try {
            Board board(argv[2]);
            if (command.action != Create && !board.Exists())
                throw std::runtime_error(board.Path() + ": not a board folder (no mem file)");
            command.action(board, args);
            return 0;
        } catch (const UsageError&) {
            return Usage();
        } catch (const std::exception& error) {
            fprintf(stderr, "rigosim: %s\n", error.what());
            return 2;
        }
    }
    return Usage();
}
