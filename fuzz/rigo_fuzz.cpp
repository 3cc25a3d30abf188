// libFuzzer target: rigo's whole command line on a simulated board.
//
// An input is text: its first line names the board (avin, belk, corv, dern or a chip ID
// such as 0x33), every further line is one argument. The program runs under `rigosim run
// BOARD`; before each input the board is laid down afresh as that model's reference board,
// so every input starts from the same state and a finding replays on its own.
//
// rigo ends through exit(), so each input runs in a forked child. The child's coverage
// counters are copied back into the parent for libFuzzer to see. A finding is anything but
// an exit with status 0 or 1 (2 too for -check, -snapshot and -diff) within the time limit:
// a crash, a sanitizer report (status 86), a hang, an access beyond a mapping of /dev/mem
// (each mapping gets an inaccessible page on either side), or memory that grows without bound.
#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "board.h"
#include "cli/cli.h"
#include "reference.h"

extern "C" uint8_t __start___sancov_cntrs[];
extern "C" uint8_t __stop___sancov_cntrs[];

namespace {

const uint32_t kChipIdRegister = 0x70000804;
const unsigned kSecondsPerRun = 10;
const long kMaxGrowthKiB = 512 * 1024;
const size_t kPage = 4096;

// A run read makes one transfer per byte asked for, by design; counts beyond the 256
// registers of a device only repeat them, so larger ones are not worth the time.
const int kMaxRunRead = 4096;

struct Model {
    const char* name;
    uint32_t id;
};

const Model kModels[] = {{"avin", 0x20}, {"belk", 0x30}, {"corv", 0x35}, {"dern", 0x14}};

std::string g_Board;
int g_Null = -1;
int g_Stderr = -1;  // the child's standard error, shown with a finding
uint8_t* g_ChildCounters = nullptr;

size_t CounterCount()
{
    return static_cast<size_t>(__stop___sancov_cntrs - __start___sancov_cntrs);
}

// The chip ID register's value for a model line, or 0 when the line names none.
uint32_t ChipIdRegister(const std::string& model)
{
    for (const Model& known : kModels)
        if (strcasecmp(model.c_str(), known.name) == 0)
            return known.id << 8 | 1 << 4;
    char* end = nullptr;
    unsigned long id = strtoul(model.c_str(), &end, 0);
    return model.empty() || *end != '\0' || id == 0 || id > 0xFF ? 0 : static_cast<uint32_t>(id << 8 | 1 << 4);
}

void LayDownBoard(uint32_t chipIdRegister)
{
    Board board(g_Board);
    board.Create();
    board.SetWord(kChipIdRegister, chipIdRegister);
    RunReferenceFragments(board, chipIdRegister >> 8);
}

std::vector<std::string> Lines(const uint8_t* data, size_t size)
{
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n')
            lines.emplace_back();
        else
            lines.back() += static_cast<char>(data[i]);
    }
    return lines;
}

bool HugeRunRead(const std::vector<std::string>& args)
{
    return args.size() == 7 && stricmp(args[1].c_str(), "-i2c") == 0 && stricmp(args[5].c_str(), "rd") == 0 &&
           static_cast<int>(ParseNumber(args[6].c_str())) > kMaxRunRead;
}

// The lab commands end with 2 for wrong arguments or a file they cannot read, as diff(1).
int HighestStatus(const std::vector<std::string>& args)
{
    bool labCommand = args.size() > 1 && (stricmp(args[1].c_str(), "-snapshot") == 0 ||
                                          stricmp(args[1].c_str(), "-diff") == 0 || stricmp(args[1].c_str(), "-check") == 0);
    return labCommand ? 2 : 1;
}

void EndChild(int status, void*)
{
    fflush(nullptr);
    memcpy(g_ChildCounters, __start___sancov_cntrs, CounterCount());
    _exit(status);
}

[[noreturn]] void RunChild(std::vector<std::string>& args)
{
    signal(SIGALRM, SIG_DFL);
    alarm(kSecondsPerRun);
    dup2(g_Null, STDIN_FILENO);
    dup2(g_Null, STDOUT_FILENO);
    dup2(g_Stderr, STDERR_FILENO);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    on_exit(EndChild, nullptr);
    exit(RigoMain(static_cast<int>(args.size()), argv.data()));
}

std::string ChildStderr()
{
    std::string text(64 * 1024, '\0');
    ssize_t n = pread(g_Stderr, text.data(), text.size(), 0);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

[[noreturn]] void Finding(const std::vector<std::string>& args, const std::string& what)
{
    fprintf(stderr, "\n==== rigo");
    for (size_t i = 1; i < args.size(); ++i)
        fprintf(stderr, " '%s'", args[i].c_str());
    fprintf(stderr, ": %s\n%s\n", what.c_str(), ChildStderr().c_str());
    abort();
}

}  // namespace

// Mappings of /dev/mem get an inaccessible page on either side, so that an access beyond
// what rigo mapped faults instead of landing in whatever lies next to the mapping. The tool
// is built with a 64-bit off_t, so it may call either name.
extern "C" void* __real_mmap(void* address, size_t length, int protection, int flags, int fd, off_t offset);
extern "C" void* __real_mmap64(void* address, size_t length, int protection, int flags, int fd, off64_t offset);
extern "C" int __real_munmap(void* address, size_t length);

namespace {

std::map<void*, size_t> g_Guarded;  // mapping -> length rounded up to pages

template <typename Map>
void* MapGuarded(size_t length, int flags, Map map)
{
    size_t pages = (length + kPage - 1) & ~(kPage - 1);
    void* reserved = __real_mmap(nullptr, pages + 2 * kPage, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (reserved == MAP_FAILED)
        return MAP_FAILED;
    void* base = map(static_cast<char*>(reserved) + kPage, flags | MAP_FIXED);
    int error = errno;
    if (base == MAP_FAILED)
        __real_munmap(reserved, pages + 2 * kPage);
    else
        g_Guarded[base] = pages;
    errno = error;
    return base;
}

bool Guards(void* address, size_t length, int fd)
{
    return fd >= 0 && address == nullptr && length != 0 && length <= SIZE_MAX / 2;
}

}  // namespace

extern "C" void* __wrap_mmap(void* address, size_t length, int protection, int flags, int fd, off_t offset)
{
    if (!Guards(address, length, fd))
        return __real_mmap(address, length, protection, flags, fd, offset);
    return MapGuarded(length, flags, [&](void* at, int fixed) {
        return __real_mmap(at, length, protection, fixed, fd, offset);
    });
}

extern "C" void* __wrap_mmap64(void* address, size_t length, int protection, int flags, int fd, off64_t offset)
{
    if (!Guards(address, length, fd))
        return __real_mmap64(address, length, protection, flags, fd, offset);
    return MapGuarded(length, flags, [&](void* at, int fixed) {
        return __real_mmap64(at, length, protection, fixed, fd, offset);
    });
}

extern "C" int __wrap_munmap(void* address, size_t length)
{
    int result = __real_munmap(address, length);
    int error = errno;
    auto guarded = g_Guarded.find(address);
    if (guarded != g_Guarded.end()) {
        __real_munmap(static_cast<char*>(address) - kPage, kPage);
        __real_munmap(static_cast<char*>(address) + guarded->second, kPage);
        g_Guarded.erase(guarded);
    }
    errno = error;
    return result;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* board = getenv("RIGOSIM_BOARD");
    if (board == nullptr || *board == '\0') {
        fprintf(stderr, "rigo_fuzz: run it on a board: rigosim run BOARD -- rigo_fuzz [libFuzzer options]\n");
        exit(2);
    }
    g_Board = board;
    g_Null = open("/dev/null", O_RDWR | O_CLOEXEC);
    g_Stderr = memfd_create("rigo-stderr", MFD_CLOEXEC);
    void* shared = mmap(nullptr, CounterCount(), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (g_Null < 0 || g_Stderr < 0 || shared == MAP_FAILED) {
        perror("rigo_fuzz");
        exit(2);
    }
    g_ChildCounters = static_cast<uint8_t*>(shared);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> args = Lines(data, size);
    uint32_t chipIdRegister = ChipIdRegister(args[0]);
    args[0] = "rigo";
    if (chipIdRegister == 0 || HugeRunRead(args))
        return 0;
    LayDownBoard(chipIdRegister);
    ftruncate(g_Stderr, 0);
    lseek(g_Stderr, 0, SEEK_SET);

    fflush(nullptr);
    pid_t child = fork();
    if (child == 0)
        RunChild(args);
    if (child < 0)
        Finding(args, std::string("fork: ") + strerror(errno));
    int status = 0;
    rusage usage = {};
    while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    rusage self = {};
    getrusage(RUSAGE_SELF, &self);
    if (WIFSIGNALED(status))
        Finding(args, WTERMSIG(status) == SIGALRM ? "hang" : std::string("killed by ") + strsignal(WTERMSIG(status)));
    if (WEXITSTATUS(status) > HighestStatus(args))
        Finding(args, "exit status " + std::to_string(WEXITSTATUS(status)));
    if (usage.ru_maxrss - self.ru_maxrss > kMaxGrowthKiB)
        Finding(args, "memory grew by " + std::to_string(usage.ru_maxrss - self.ru_maxrss) + " KiB");
    // The child started from the parent's counters, so its own are the whole count.
    memcpy(__start___sancov_cntrs, g_ChildCounters, CounterCount());
    return 0;
}
