// rigosim: makes, inspects and changes simulated boards, and runs programs on them.
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

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
#include "program.h"
#include "reference.h"
#include "vcd.h"

namespace {

const uint32_t kChipIdRegister = 0x70000804;

const char kUsage[] =
    "usage: rigosim create BOARD MODEL            MODEL: avin, belk, corv, dern or ID[:REV]\n"
    "       rigosim rd BOARD ADDR [COUNT]\n"
    "       rigosim wr BOARD ADDR VALUE\n"
    "       rigosim add BOARD BUS [ADDR [--replace]]\n"
    "       rigosim remove BOARD BUS ADDR\n"
    "       rigosim get BOARD BUS ADDR REG [COUNT]\n"
    "       rigosim set BOARD BUS ADDR REG BYTE...\n"
    "       rigosim fault BOARD RULE... | --clear\n"
    "       rigosim load BOARD [--device BUS ADDR | --at ADDRESS] [--raw] FILE...\n"
    "       rigosim save BOARD [FILE]\n"
    "       rigosim trace BOARD [--clear | --vcd FILE]\n"
    "       rigosim run BOARD [--realtime] [--unsafe-direct] [--] PROGRAM [ARGS...]\n"
    "       rigosim --help | --version\n"
    "Numbers are decimal, or hexadecimal with 0x; rd and get print them with 0x.\n";

struct Model {
    const char* name;
    uint32_t id;
};

const Model kModels[] = {{"avin", 0x20}, {"belk", 0x30}, {"corv", 0x35}, {"dern", 0x14}};

typedef std::vector<std::string> Args;  // the words after the command's name

struct UsageError {};

// A program `run` cannot start: its message and the status a shell gives (126, 127).
struct RunError {
    int status;
    std::string message;
};

std::string Hex(unsigned long value)
{
    char text[24];
    snprintf(text, sizeof text, "0x%lx", value);
    return text;
}

// A number of the command line; `what` names it in the message when it is not one or too big.
uint32_t Number(const std::string& text, unsigned long max, const std::string& what)
{
    unsigned long value = 0;
    if (!ParseUnsigned(text, &value))
        throw std::runtime_error(what + " '" + text + "' is not a number (decimal, or hexadecimal with 0x)");
    if (value > max)
        throw std::runtime_error(what + " '" + text + "' is above " + Hex(max));
    return static_cast<uint32_t>(value);
}

int Bus(const std::string& text)
{
    return static_cast<int>(Number(text, 0xFFFF, "bus"));
}

int Address(const std::string& text)
{
    return static_cast<int>(Number(text, 0x7F, "device address"));
}

int Register(const std::string& text)
{
    return static_cast<int>(Number(text, 0xFF, "register"));
}

// The first physical address of `count` words, refused when they would run past 4 GiB.
uint32_t WordAddress(const std::string& text, uint64_t count)
{
    uint32_t address = Number(text, 0xFFFFFFFF, "address");
    if (address + 4 * count > 0x100000000ull)
        throw std::runtime_error(std::to_string(count) + (count == 1 ? " word" : " words") + " from " + Hex(address) +
                                 " run past the end of the 4 GiB memory");
    return address;
}

// The chip ID register's value for a model name or ID[:REV]; the revision defaults to 1.
uint32_t ChipIdRegister(const std::string& model)
{
    for (const Model& known : kModels)
        if (strcasecmp(model.c_str(), known.name) == 0)
            return known.id << 8 | 1 << 4;
    size_t colon = model.find(':');
    unsigned long id = 0, revision = 1;
    if (!ParseUnsigned(model.substr(0, colon), &id) ||
        (colon != std::string::npos && !ParseUnsigned(model.substr(colon + 1), &revision)))
        throw std::runtime_error("unknown model '" + model + "' (avin, belk, corv, dern or ID[:REV])");
    if (id > 0xFF || revision > 0xF)
        throw std::runtime_error("model '" + model + "': the chip ID is at most 0xff, the revision at most 0xf");
    return static_cast<uint32_t>(id << 8 | revision << 4);
}

int Create(Board& board, const Args& args)
{
    uint32_t chipId = ChipIdRegister(args[0]);
    board.Create();
    board.SetWord(kChipIdRegister, chipId);
    RunReferenceFragments(board, chipId >> 8);
    return 0;
}

int ReadWords(Board& board, const Args& args)
{
    uint32_t count = args.size() > 1 ? Number(args[1], 0x40000000, "count") : 1;
    uint32_t address = WordAddress(args[0], count);
    for (uint32_t i = 0; i < count; ++i)
        printf("0x%08x\n", static_cast<unsigned>(board.Word(address + 4 * i)));
    return 0;
}

int WriteWord(Board& board, const Args& args)
{
    board.SetWord(WordAddress(args[0], 1), Number(args[1], 0xFFFFFFFF, "value"));
    return 0;
}

// A device that is there keeps its registers unless --replace asks for a blank one.
int Add(Board& board, const Args& args)
{
    if (args.size() == 1) {
        board.AddBus(Bus(args[0]));
        return 0;
    }
    bool replace = args.size() == 3 && args[2] == "--replace";
    if (args.size() == 3 && !replace)
        throw UsageError();
    int bus = Bus(args[0]), address = Address(args[1]);
    if (board.HasDevice(bus, address) && !replace)
        throw std::runtime_error(board.DeviceFile(bus, address) +
                                 ": the device exists (add --replace resets its registers to 0)");
    board.AddDevice(bus, address);
    return 0;
}

int Remove(Board& board, const Args& args)
{
    board.RemoveDevice(Bus(args[0]), Address(args[1]));
    return 0;
}

int Get(Board& board, const Args& args)
{
    int count = args.size() > 3 ? static_cast<int>(Number(args[3], 256, "count")) : 1;
    std::vector<uint8_t> bytes = board.Registers(Bus(args[0]), Address(args[1]), Register(args[2]), count);
    for (size_t i = 0; i < bytes.size(); ++i)
        printf(i == 0 ? "0x%02x" : " 0x%02x", static_cast<unsigned>(bytes[i]));
    printf("\n");
    return 0;
}

int Set(Board& board, const Args& args)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 3; i < args.size(); ++i)
        bytes.push_back(static_cast<uint8_t>(Number(args[i], 0xFF, "byte")));
    board.SetRegisters(Bus(args[0]), Address(args[1]), Register(args[2]), bytes);
    return 0;
}

int Fault(Board& board, const Args& args)
{
    if (args[0] == "--clear") {
        if (args.size() != 1)
            throw UsageError();
        board.ClearFaults();
        return 0;
    }
    std::string rule;
    for (const std::string& word : args)
        rule += (rule.empty() ? "" : " ") + word;
    board.AddFault(rule);
    return 0;
}

int Trace(Board& board, const Args& args)
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
    return 0;
}

int Save(Board& board, const Args& args)
{
    std::string text = SavedBoard(board);
    if (args.empty())
        fputs(text.c_str(), stdout);
    else
        WriteWholeFile(args[0], text);
    return 0;
}

int Load(Board& board, const Args& args)
{
    LoadFiles(board, args);
    return 0;
}

// The preload library sits next to this program.
std::string LibraryPath()
{
    std::filesystem::path library = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "librigosim.so";
    if (!std::filesystem::exists(library))
        throw std::runtime_error(library.string() + ": not found");
    return library.string();
}

std::string CommandLine(Args::const_iterator first, Args::const_iterator last)
{
    std::string line;
    for (Args::const_iterator word = first; word != last; ++word)
        line += (line.empty() ? "" : " ") + *word;
    return line;
}

// The program's file, refused as a shell would (127: none, 126: cannot run) and, unless
// `direct`, when the preload library would not get into it.
std::string CheckProgram(const std::string& name, bool direct)
{
    std::string path = FindProgram(name);
    if (path.empty())
        throw RunError{127, name + ": " + (name.find('/') == std::string::npos ? "command not found" : strerror(ENOENT))};
    if (std::filesystem::is_directory(path))
        throw RunError{126, name + ": " + strerror(EISDIR)};
    if (access(path.c_str(), X_OK) != 0)
        throw RunError{126, name + ": " + strerror(EACCES)};
    std::string reason = direct ? "" : WhyNotIntercepted(path);
    if (!reason.empty())
        throw RunError{126, name + ": " + reason + ", so the simulator cannot intercept its device accesses"
                                                  " (--unsafe-direct runs it all the same)"};
    return path;
}

// "# run pid N: exit S" or "...: signal NAME" for the trace; the status rigosim exits with.
int RunEnd(int status, std::string* marker)
{
    if (WIFSIGNALED(status)) {
        const char* name = sigabbrev_np(WTERMSIG(status));
        *marker = std::string("signal SIG") + (name != nullptr ? name : std::to_string(WTERMSIG(status)).c_str());
        return 128 + WTERMSIG(status);
    }
    *marker = "exit " + std::to_string(WEXITSTATUS(status));
    return WEXITSTATUS(status);
}

int RunProgram(Board& board, const Args& args)
{
    size_t first = 0;
    bool realtime = false, direct = false;
    for (; first < args.size() && (args[first] == "--realtime" || args[first] == "--unsafe-direct"); ++first)
        (args[first] == "--realtime" ? realtime : direct) = true;
    first += first < args.size() && args[first] == "--" ? 1 : 0;
    if (first >= args.size())
        throw UsageError();
    std::string program = CheckProgram(args[first], direct);
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
    fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error(std::string("fork: ") + strerror(errno));
    if (pid == 0) {
        board.AppendTrace("# run pid " + std::to_string(getpid()) + ": " + CommandLine(args.begin() + first, args.end()));
        execv(program.c_str(), argv.data());
        int error = errno;
        fprintf(stderr, "rigosim: %s: %s\n", args[first].c_str(), strerror(error));
        _exit(error == ENOENT ? 127 : 126);
    }
    // Like a shell, the terminal's interrupt is the program's to handle.
    signal(SIGINT, SIG_IGN);
    signal(SIGQUIT, SIG_IGN);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            throw std::runtime_error(std::string("waitpid: ") + strerror(errno));
    std::string marker;
    int exitStatus = RunEnd(status, &marker);
    board.AppendTrace("# run pid " + std::to_string(pid) + ": " + marker);
    return exitStatus;
}

struct Command {
    const char* name;
    size_t minArgs;  // after BOARD
    size_t maxArgs;
    int (*action)(Board& board, const Args& args);  // returns the exit status
};

const Command kCommands[] = {
    {"create", 1, 1, Create}, {"rd", 1, 2, ReadWords},      {"wr", 2, 2, WriteWord}, {"add", 1, 3, Add},
    {"remove", 2, 2, Remove}, {"get", 3, 4, Get},           {"set", 4, 260, Set},    {"fault", 1, 64, Fault},
    {"trace", 0, 2, Trace},   {"run", 1, SIZE_MAX, RunProgram}, {"load", 1, SIZE_MAX, Load},
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
    if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && strcmp(argv[1], "--version") == 0) {
        printf("rigosim %s\n", RIGOSIM_VERSION);
        return 0;
    }
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
            return command.action(board, args);
        } catch (const UsageError&) {
            return Usage();
        } catch (const RunError& error) {
            fprintf(stderr, "rigosim: %s\n", error.message.c_str());
            return error.status;
        } catch (const std::exception& error) {
            fprintf(stderr, "rigosim: %s\n", error.what());
            return 2;
        }
    }
    return Usage();
}
