// LD_PRELOAD library that puts the board folder named by RIGOSIM_BOARD in place of the
// hardware: /dev/mem becomes BOARD/mem, /dev/i2c-N a bus of register files, every access
// is appended to BOARD/trace and the rules of BOARD/faults make chosen accesses fail.
// Built with the process's own off_t so that mmap and mmap64 can both be defined here.
#undef _FILE_OFFSET_BITS
#undef _FORTIFY_SOURCE

#include <dlfcn.h>
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "faults.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

typedef int (*OpenFunction)(const char*, int, ...);
typedef int (*OpenAtFunction)(int, const char*, int, ...);
typedef int (*CheckedOpenFunction)(const char*, int);
typedef int (*CheckedOpenAtFunction)(int, const char*, int);
typedef int (*CloseFunction)(int);
typedef void* (*MmapFunction)(void*, size_t, int, int, int, off_t);
typedef void* (*Mmap64Function)(void*, size_t, int, int, int, off64_t);
typedef int (*MunmapFunction)(void*, size_t);
typedef int (*IoctlFunction)(int, unsigned long, ...);
typedef int (*UsleepFunction)(useconds_t);
typedef ssize_t (*ReadFunction)(int, void*, size_t);
typedef ssize_t (*WriteFunction)(int, const void*, size_t);

template <typename Function>
Function Next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

OpenFunction RealOpen64()
{
    static const OpenFunction real = Next<OpenFunction>("open64");
    return real;
}

CloseFunction RealClose()
{
    static const CloseFunction real = Next<CloseFunction>("close");
    return real;
}

// The library's own file accesses go past its read and write, which serve the bus nodes.
ReadFunction RealRead()
{
    static const ReadFunction real = Next<ReadFunction>("read");
    return real;
}

WriteFunction RealWrite()
{
    static const WriteFunction real = Next<WriteFunction>("write");
    return real;
}

// Most transfers the kernel takes in one I2C_RDWR, and the longest message.
const unsigned kMaxMessages = 42;
const unsigned kMaxMessageLength = 8192;
const unsigned long kFunctions = I2C_FUNC_I2C | I2C_FUNC_SMBUS_QUICK | I2C_FUNC_SMBUS_BYTE |
                                 I2C_FUNC_SMBUS_BYTE_DATA | I2C_FUNC_SMBUS_WORD_DATA | I2C_FUNC_SMBUS_I2C_BLOCK;

// A descriptor that stands for /dev/mem or for a bus.
struct Node {
    bool memory = false;
    std::string path;
    int bus = -1;
    unsigned slave = 0;
    bool tenBit = false;
};

struct State {
    std::string board;  // empty without a board: device paths fail and nothing is traced
    bool realtime = false;
    std::vector<FaultRule> rules;
    std::vector<long> matches;  // transfers each nack rule has matched so far
    long mmaps = 0;             // successful mmaps of /dev/mem
    long munmaps = 0;           // successful munmaps of its mappings
    std::map<int, Node> nodes;
    std::map<void*, uint64_t> mappings;  // physical address of each mapping of /dev/mem
    std::map<int, uint8_t> pointers;  // register pointer per (bus << 8 | address)
};

std::string ReadFile(const std::string& path)
{
    std::string text;
    int fd = RealOpen64()(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buffer[4096];
    ssize_t n;
    while ((n = RealRead()(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(n));
    RealClose()(fd);
    return text;
}

void LoadBoard(State* state)
{
    const char* board = getenv("RIGOSIM_BOARD");
    const char* realtime = getenv("RIGOSIM_REALTIME");
    state->realtime = realtime != nullptr && strcmp(realtime, "1") == 0;
    if (board == nullptr || *board == '\0')
        return;
    state->board = board;
    std::vector<std::string> problems;
    state->rules = ParseFaultRules(ReadFile(state->board + "/faults"), &problems);
    state->matches.assign(state->rules.size(), 0);
    for (const std::string& problem : problems) {
        std::string line = "rigosim: " + state->board + "/faults: " + problem + "\n";
        (void)!RealWrite()(STDERR_FILENO, line.data(), line.size());
    }
}

// Made on first use and never destroyed, so that calls made while the process exits still work.
State& Sim()
{
    // A sanitizer runtime maps memory before the C library has set up the environment:
    // serve those calls board-less, without caching that state.
    if (environ == nullptr) {
        static State early;
        return early;
    }
    static State* state = [] {
        int saved = errno;
        State* made = new State;
        LoadBoard(made);
        errno = saved;
        return made;
    }();
    return *state;
}

__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...)
{
    char text[64];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// "# pid N: COMMAND LINE", which goes before the first line of each process.
std::string ProcessMarker()
{
    std::string line = "# pid " + std::to_string(getpid()) + ":";
    std::string arguments = ReadFile("/proc/self/cmdline");
    for (size_t start = 0; start < arguments.size();) {
        size_t end = arguments.find('\0', start);
        line += " " + arguments.substr(start, end - start);
        start = end == std::string::npos ? arguments.size() : end + 1;
    }
    for (char& c : line)
        c = c == '\n' ? ' ' : c;
    return line + "\n";
}

// One write() per line, appended, so that lines of parallel processes never mix.
void Trace(const std::string& line)
{
    const State& state = Sim();
    if (state.board.empty())
        return;
    int saved = errno;
    static pid_t marked = 0;  // a forked child has a pid of its own
    std::string text;
    if (getpid() != marked) {
        marked = getpid();
        text = ProcessMarker();
    }
    int fd = RealOpen64()((state.board + "/trace").c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) {
        if (!text.empty())
            (void)!RealWrite()(fd, text.data(), text.size());
        text = line + "\n";
        (void)!RealWrite()(fd, text.data(), text.size());
        RealClose()(fd);
    }
    errno = saved;
}

void TraceResult(const std::string& line, bool failed)
{
    Trace(failed ? line + " failed " + ErrnoName(errno) : line);
}

int Fail(int error)
{
    errno = error;
    return -1;
}

const FaultRule* FindRule(FaultRule::Kind kind, int bus)
{
    for (const FaultRule& rule : Sim().rules)
        if (rule.kind == kind && rule.bus == bus)
            return &rule;
    return nullptr;
}

// --- Paths ---------------------------------------------------------------------------

enum class Device { None, Memory, Bus, Blocked };

// The absolute form of a path as open() would see it from dirfd, with repeated slashes,
// "." and ".." taken out; symbolic links are not followed.
std::string Resolve(int dirfd, const char* path)
{
    std::string full = path;
    if (path[0] != '/') {
        char base[4096];
        if (dirfd == AT_FDCWD) {
            if (getcwd(base, sizeof base) == nullptr)
                return full;
        } else {
            ssize_t n = readlink(Format("/proc/self/fd/%d", dirfd).c_str(), base, sizeof base - 1);
            if (n < 0)
                return full;
            base[n] = '\0';
        }
        full = std::string(base) + "/" + path;
    }
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= full.size()) {
        size_t end = full.find('/', start);
        if (end == std::string::npos)
            end = full.size();
        std::string part = full.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string resolved;
    for (const std::string& part : parts)
        resolved += "/" + part;
    return resolved.empty() ? "/" : resolved;
}

bool IsBusNumber(const std::string& text, int* bus)
{
    if (text.empty() || text.size() > 5 || (text[0] == '0' && text.size() > 1))
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    *bus = atoi(text.c_str());
    return true;
}

Device Classify(const std::string& path, int* bus)
{
    if (path == "/dev/mem")
        return Device::Memory;
    if ((path.starts_with("/dev/i2c-") || path.starts_with("/dev/i2c/")) && IsBusNumber(path.substr(9), bus))
        return Device::Bus;
    if (path.starts_with("/dev/i2c") || path.starts_with("/dev/mem") || path == "/dev/kmem" || path == "/dev/port")
        return Device::Blocked;
    return Device::None;
}

// --- Opening and closing -------------------------------------------------------------

int OpenMemory(const State& state, int flags)
{
    if (const FaultRule* rule = FindRule(FaultRule::MemOpen, -1))
        return Fail(rule->error);
    return RealOpen64()((state.board + "/mem").c_str(), O_RDWR | (flags & O_CLOEXEC));
}

int OpenBus(const State& state, int bus, int flags)
{
    if (const FaultRule* rule = FindRule(FaultRule::I2cOpen, bus))
        return Fail(rule->error);
    struct stat info;
    if (stat((state.board + "/i2c-" + std::to_string(bus)).c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return Fail(ENOENT);
    return RealOpen64()("/dev/null", O_RDWR | (flags & O_CLOEXEC));
}

int OpenDevice(const std::string& path, Device device, int bus, int flags)
{
    State& state = Sim();
    if (state.board.empty())
        return Fail(ENOENT);
    int fd = device == Device::Memory ? OpenMemory(state, flags)
             : device == Device::Bus  ? OpenBus(state, bus, flags)
                                      : Fail(ENOENT);
    TraceResult("open " + path, fd < 0);
    if (fd >= 0) {
        Node& node = state.nodes[fd];
        node = Node();
        node.memory = device == Device::Memory;
        node.path = path;
        node.bus = bus;
    }
    return fd;
}

// A descriptor the program got elsewhere no longer stands for a device, even if a
// device descriptor of that number was closed behind our back.
int Forget(int fd)
{
    if (fd >= 0) {
        int saved = errno;
        Sim().nodes.erase(fd);
        errno = saved;
    }
    return fd;
}

template <typename PassOn>
int Open(int dirfd, const char* path, int flags, PassOn passOn)
{
    if (path == nullptr)
        return passOn();
    int bus = -1;
    std::string resolved = Resolve(dirfd, path);
    Device device = Classify(resolved, &bus);
    if (device == Device::None)
        return Forget(passOn());
    return OpenDevice(resolved, device, bus, flags);
}

bool TakesMode(int flags)
{
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
}

Node* FindNode(int fd)
{
    State& state = Sim();
    auto it = state.nodes.find(fd);
    return it == state.nodes.end() ? nullptr : &it->second;
}

// --- Memory --------------------------------------------------------------------------

// Puts an empty file's page in place of each page of the mapping that a buserror rule names:
// an access there reaches past the file's end and the kernel raises SIGBUS, as a core does
// when nothing answers at the address.
void MapBusErrors(char* base, size_t length, int protection, uint64_t physical)
{
    static const Mmap64Function real = Next<Mmap64Function>("mmap64");
    const uint64_t kPage = 4096;
    for (const FaultRule& rule : Sim().rules) {
        if (rule.kind != FaultRule::MemBusError)
            continue;
        uint64_t page = static_cast<uint64_t>(rule.page) * kPage;
        if (page < physical || page - physical >= length)
            continue;
        int empty = memfd_create("rigosim-buserror", MFD_CLOEXEC);
        if (empty >= 0) {
            (void)real(base + (page - physical), kPage, protection, MAP_SHARED | MAP_FIXED, empty, 0);
            RealClose()(empty);
        }
    }
}

void* MapMemory(void* address, size_t length, int protection, int flags, int fd, uint64_t physical)
{
    static const Mmap64Function real = Next<Mmap64Function>("mmap64");
    State& state = Sim();
    const FaultRule* rule = FindRule(FaultRule::MemMmap, -1);
    void* base = MAP_FAILED;
    if (rule != nullptr && state.mmaps >= rule->after)
        errno = rule->error;
    else
        base = real(address, length, protection, flags, fd, static_cast<off64_t>(physical));
    TraceResult(Format("mmap 0x%llx %zu", static_cast<unsigned long long>(physical), length), base == MAP_FAILED);
    if (base != MAP_FAILED) {
        ++state.mmaps;
        state.mappings[base] = physical;
        if (physical % 4096 == 0)
            MapBusErrors(static_cast<char*>(base), length, protection, physical);
    }
    return base;
}

// --- I2C -----------------------------------------------------------------------------

struct Message {
    unsigned addr;
    bool tenBit;
    bool read;
    uint8_t* data;
    size_t length;
};

std::string TransferLine(const Node& node, const std::vector<Message>& messages, bool failed)
{
    std::string line = Format("i2c-%d 0x%02x", node.bus, messages.empty() ? 0 : messages[0].addr);
    for (size_t i = 0; i < messages.size(); ++i) {
        const Message& message = messages[i];
        if (i > 0 && message.addr != messages[i - 1].addr)
            line += Format(" 0x%02x", message.addr);
        line += message.read ? " r" : " w";
        for (size_t j = 0; j < message.length; ++j)
            line += message.read && failed ? std::string(" ??") : Format(" %02x", message.data[j]);
    }
    return line;
}

// The errno of the first nack rule that fails this transfer, or 0.
int NackError(const Node& node, const std::vector<Message>& messages)
{
    State& state = Sim();
    bool reads = false;
    for (const Message& message : messages)
        reads = reads || message.read;
    int error = 0;
    for (size_t i = 0; i < state.rules.size(); ++i) {
        const FaultRule& rule = state.rules[i];
        bool addressed = false;
        for (const Message& message : messages)
            addressed = addressed || static_cast<int>(message.addr) == rule.addr;
        if (rule.kind != FaultRule::I2cNack || rule.bus != node.bus || !addressed ||
            (rule.direction == FaultRule::Read && !reads) || (rule.direction == FaultRule::Write && reads))
            continue;
        long seen = state.matches[i]++;
        if (error == 0 && seen >= rule.after && (rule.count < 0 || seen < rule.after + rule.count))
            error = rule.error;
    }
    return error;
}

// Opens the register file of every device the messages address; ENXIO when one is missing.
int OpenRegisterFiles(const Node& node, const std::vector<Message>& messages, std::map<unsigned, int>* files)
{
    const State& state = Sim();
    for (const Message& message : messages) {
        if (files->count(message.addr) != 0)
            continue;
        int fd = -1;
        if (!message.tenBit && message.addr <= 0x7F)
            fd = RealOpen64()(Format("%s/i2c-%d/%02x", state.board.c_str(), node.bus, message.addr).c_str(),
                              O_RDWR | O_CLOEXEC);
        if (fd < 0)
            return ENXIO;
        (*files)[message.addr] = fd;
    }
    return 0;
}

// One transfer of the bus: all messages go through, or none does and nothing changes.
int Transfer(const Node& node, const std::vector<Message>& messages)
{
    State& state = Sim();
    std::map<unsigned, int> files;
    int error = OpenRegisterFiles(node, messages, &files);
    if (error == 0)
        error = NackError(node, messages);
    if (error == 0) {
        for (const Message& message : messages) {
            uint8_t& pointer = state.pointers[node.bus << 8 | static_cast<int>(message.addr)];
            int fd = files[message.addr];
            for (size_t i = 0; i < message.length; ++i) {
                if (message.read)
                    (void)!pread(fd, &message.data[i], 1, pointer++);
                else if (i == 0)
                    pointer = message.data[0];
                else
                    (void)!pwrite(fd, &message.data[i], 1, pointer++);
            }
        }
    }
    for (const auto& [addr, fd] : files)
        RealClose()(fd);
    errno = error;
    TraceResult(TransferLine(node, messages, error != 0), error != 0);
    return error == 0 ? 0 : -1;
}

int ReadWrite(const Node& node, const i2c_rdwr_ioctl_data* request)
{
    if (request == nullptr || request->msgs == nullptr)
        return Fail(EFAULT);
    if (request->nmsgs == 0 || request->nmsgs > kMaxMessages)
        return Fail(EINVAL);
    std::vector<Message> messages;
    for (unsigned i = 0; i < request->nmsgs; ++i) {
        const i2c_msg& msg = request->msgs[i];
        if (msg.len > kMaxMessageLength)
            return Fail(EINVAL);
        messages.push_back({msg.addr, (msg.flags & I2C_M_TEN) != 0, (msg.flags & I2C_M_RD) != 0, msg.buf, msg.len});
    }
    return Transfer(node, messages) == 0 ? static_cast<int>(request->nmsgs) : -1;
}

// SMBus transactions as the messages they put on the wire; word data goes low byte first.
int Smbus(const Node& node, const i2c_smbus_ioctl_data* request)
{
    if (request == nullptr || (request->read_write != I2C_SMBUS_READ && request->read_write != I2C_SMBUS_WRITE))
        return Fail(EINVAL);
    bool read = request->read_write == I2C_SMBUS_READ;
    i2c_smbus_data* data = request->data;
    if (data == nullptr && request->size != I2C_SMBUS_QUICK && !(request->size == I2C_SMBUS_BYTE && !read))
        return Fail(EFAULT);
    uint8_t wire[2 + I2C_SMBUS_BLOCK_MAX] = {request->command};
    Message command = {node.slave, node.tenBit, false, wire, 1};
    Message reply = {node.slave, node.tenBit, true, wire + 1, 0};
    std::vector<Message> messages;
    switch (request->size) {
    case I2C_SMBUS_QUICK:
        command.length = 0;
        command.read = read;
        messages = {command};
        break;
    case I2C_SMBUS_BYTE:
        reply.length = 1;
        messages = {read ? reply : command};
        break;
    case I2C_SMBUS_BYTE_DATA:
    case I2C_SMBUS_WORD_DATA:
        reply.length = request->size == I2C_SMBUS_BYTE_DATA ? 1 : 2;
        if (!read) {
            wire[1] = static_cast<uint8_t>(reply.length == 1 ? data->byte : data->word & 0xFF);
            wire[2] = static_cast<uint8_t>(data->word >> 8);
            command.length += reply.length;
        }
        messages = read ? std::vector<Message>{command, reply} : std::vector<Message>{command};
        break;
    case I2C_SMBUS_I2C_BLOCK_BROKEN:
    case I2C_SMBUS_I2C_BLOCK_DATA:
        reply.length = read && request->size == I2C_SMBUS_I2C_BLOCK_BROKEN ? I2C_SMBUS_BLOCK_MAX : data->block[0];
        if (reply.length == 0 || reply.length > I2C_SMBUS_BLOCK_MAX)
            return Fail(EINVAL);
        if (!read) {
            memcpy(wire + 1, data->block + 1, reply.length);
            command.length += reply.length;
        }
        messages = read ? std::vector<Message>{command, reply} : std::vector<Message>{command};
        break;
    default:
        return Fail(EOPNOTSUPP);
    }
    if (Transfer(node, messages) != 0)
        return -1;
    if (read && request->size == I2C_SMBUS_WORD_DATA)
        data->word = static_cast<uint16_t>(wire[1] | wire[2] << 8);
    else if (read && (request->size == I2C_SMBUS_I2C_BLOCK_BROKEN || request->size == I2C_SMBUS_I2C_BLOCK_DATA)) {
        data->block[0] = static_cast<uint8_t>(reply.length);
        memcpy(data->block + 1, wire + 1, reply.length);
    }
    else if (read && request->size != I2C_SMBUS_QUICK)
        data->byte = wire[1];
    return 0;
}

// A request refused as Linux's i2c-dev refuses it, and traced.
int Refuse(const Node& node, unsigned long request, int error)
{
    errno = error;
    TraceResult(Format("ioctl %s 0x%lx", node.path.c_str(), request), true);
    return -1;
}

int BusIoctl(Node* node, unsigned long request, void* argument)
{
    unsigned long value = reinterpret_cast<uintptr_t>(argument);
    switch (request) {
    case I2C_SLAVE:
    case I2C_SLAVE_FORCE:
        if (value > (node->tenBit ? 0x3FFu : 0x7Fu))
            return Refuse(*node, request, EINVAL);
        node->slave = static_cast<unsigned>(value);
        return 0;
    case I2C_TENBIT:
        node->tenBit = value != 0;
        return 0;
    case I2C_TIMEOUT:
        if (static_cast<long>(value) < 0)
            return Refuse(*node, request, EINVAL);
        return 0;
    case I2C_RETRIES:
        if (value > INT_MAX)
            return Refuse(*node, request, EINVAL);
        return 0;
    case I2C_PEC:
        return 0;
    case I2C_FUNCS:
        if (argument == nullptr)
            return Fail(EFAULT);
        *static_cast<unsigned long*>(argument) = kFunctions;
        return 0;
    case I2C_RDWR:
        return ReadWrite(*node, static_cast<const i2c_rdwr_ioctl_data*>(argument));
    case I2C_SMBUS:
        return Smbus(*node, static_cast<const i2c_smbus_ioctl_data*>(argument));
    default:
        return Refuse(*node, request, ENOTTY);
    }
}

// read() and write() on a bus node: one message to the I2C_SLAVE address, as i2c-dev
// sends it, cut to the longest message.
ssize_t BusMessage(const Node& node, void* data, size_t count, bool read)
{
    Message message = {node.slave, node.tenBit, read, static_cast<uint8_t*>(data),
                       count < kMaxMessageLength ? count : kMaxMessageLength};
    return Transfer(node, {message}) == 0 ? static_cast<ssize_t>(message.length) : -1;
}

}  // namespace

// --- The intercepted calls -----------------------------------------------------------

// The optional mode argument of the open family.
#define MODE_ARGUMENT(flags)                 \
    mode_t mode = 0;                         \
    if (TakesMode(flags)) {                  \
        va_list args;                        \
        va_start(args, flags);               \
        mode = va_arg(args, mode_t);         \
        va_end(args);                        \
    }

EXPORT int open(const char* path, int flags, ...)
{
    static const OpenFunction real = Next<OpenFunction>("open");
    MODE_ARGUMENT(flags);
    return Open(AT_FDCWD, path, flags, [&] { return real(path, flags, mode); });
}

EXPORT int open64(const char* path, int flags, ...)
{
    MODE_ARGUMENT(flags);
    return Open(AT_FDCWD, path, flags, [&] { return RealOpen64()(path, flags, mode); });
}

EXPORT int openat(int dirfd, const char* path, int flags, ...)
{
    static const OpenAtFunction real = Next<OpenAtFunction>("openat");
    MODE_ARGUMENT(flags);
    return Open(dirfd, path, flags, [&] { return real(dirfd, path, flags, mode); });
}

EXPORT int openat64(int dirfd, const char* path, int flags, ...)
{
    static const OpenAtFunction real = Next<OpenAtFunction>("openat64");
    MODE_ARGUMENT(flags);
    return Open(dirfd, path, flags, [&] { return real(dirfd, path, flags, mode); });
}

EXPORT int __open_2(const char* path, int flags)
{
    static const CheckedOpenFunction real = Next<CheckedOpenFunction>("__open_2");
    return Open(AT_FDCWD, path, flags, [&] { return real(path, flags); });
}

EXPORT int __open64_2(const char* path, int flags)
{
    static const CheckedOpenFunction real = Next<CheckedOpenFunction>("__open64_2");
    return Open(AT_FDCWD, path, flags, [&] { return real(path, flags); });
}

EXPORT int __openat_2(int dirfd, const char* path, int flags)
{
    static const CheckedOpenAtFunction real = Next<CheckedOpenAtFunction>("__openat_2");
    return Open(dirfd, path, flags, [&] { return real(dirfd, path, flags); });
}

EXPORT int __openat64_2(int dirfd, const char* path, int flags)
{
    static const CheckedOpenAtFunction real = Next<CheckedOpenAtFunction>("__openat64_2");
    return Open(dirfd, path, flags, [&] { return real(dirfd, path, flags); });
}

EXPORT int close(int fd)
{
    State& state = Sim();
    auto it = state.nodes.find(fd);
    if (it != state.nodes.end()) {
        Trace("close " + it->second.path);
        state.nodes.erase(it);
    }
    return RealClose()(fd);
}

// A 32-bit off_t reaches the upper half of the 4 GiB map as the kernel reads it: unsigned.
EXPORT void* mmap(void* address, size_t length, int protection, int flags, int fd, off_t offset)
{
    static const MmapFunction real = Next<MmapFunction>("mmap");
    const Node* node = FindNode(fd);
    if (node == nullptr || !node->memory)
        return real(address, length, protection, flags, fd, offset);
    return MapMemory(address, length, protection, flags, fd, static_cast<std::make_unsigned_t<off_t>>(offset));
}

EXPORT void* mmap64(void* address, size_t length, int protection, int flags, int fd, off64_t offset)
{
    static const Mmap64Function real = Next<Mmap64Function>("mmap64");
    const Node* node = FindNode(fd);
    if (node == nullptr || !node->memory)
        return real(address, length, protection, flags, fd, offset);
    return MapMemory(address, length, protection, flags, fd, static_cast<uint64_t>(offset));
}

// A mapping of /dev/mem is always removed; an injected failure only changes the result.
EXPORT int munmap(void* address, size_t length)
{
    static const MunmapFunction real = Next<MunmapFunction>("munmap");
    State& state = Sim();
    auto it = state.mappings.find(address);
    if (it == state.mappings.end())
        return real(address, length);
    uint64_t physical = it->second;
    state.mappings.erase(it);
    int result = real(address, length);
    const FaultRule* rule = FindRule(FaultRule::MemMunmap, -1);
    if (result == 0 && rule != nullptr && state.munmaps >= rule->after)
        result = Fail(rule->error);
    else if (result == 0)
        ++state.munmaps;
    TraceResult(Format("munmap 0x%llx %zu", static_cast<unsigned long long>(physical), length), result != 0);
    return result;
}

EXPORT int ioctl(int fd, unsigned long request, ...)
{
    static const IoctlFunction real = Next<IoctlFunction>("ioctl");
    va_list args;
    va_start(args, request);
    void* argument = va_arg(args, void*);
    va_end(args);
    Node* node = FindNode(fd);
    if (node == nullptr || node->memory)
        return real(fd, request, argument);
    return BusIoctl(node, request, argument);
}

EXPORT ssize_t read(int fd, void* buffer, size_t count)
{
    const Node* node = FindNode(fd);
    if (node == nullptr || node->memory)
        return RealRead()(fd, buffer, count);
    return BusMessage(*node, buffer, count, true);
}

EXPORT ssize_t __read_chk(int fd, void* buffer, size_t count, size_t size)
{
    static const auto real = Next<ssize_t (*)(int, void*, size_t, size_t)>("__read_chk");
    const Node* node = FindNode(fd);
    if (node == nullptr || node->memory || count > size)
        return real(fd, buffer, count, size);
    return BusMessage(*node, buffer, count, true);
}

EXPORT ssize_t write(int fd, const void* buffer, size_t count)
{
    const Node* node = FindNode(fd);
    if (node == nullptr || node->memory)
        return RealWrite()(fd, buffer, count);
    return BusMessage(*node, const_cast<void*>(buffer), count, false);
}

EXPORT int usleep(useconds_t microseconds)
{
    static const UsleepFunction real = Next<UsleepFunction>("usleep");
    const State& state = Sim();
    if (!state.board.empty())
        Trace(Format("usleep %lu", static_cast<unsigned long>(microseconds)));
    return state.board.empty() || state.realtime ? real(microseconds) : 0;
}
