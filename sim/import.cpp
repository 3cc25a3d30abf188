#include "import.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>
#include <string_view>

#include "faults.h"
#include "export.h"

namespace {

const uint64_t kMemoryEnd = uint64_t{1} << 32;
const int kRegisterCount = 256;
const size_t kProblemsShown = 10;
const char kRigoSnapshotHeader[] = "rigo snapshot 1";
const char kI2cdumpHeader[] = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef";

// A file as the command line presents it.
struct FileToLoad {
    enum Kind { Text, Device, Memory };
    std::string path;
    Kind kind = Text;
    bool raw = false;
    int bus = 0;
    int addr = 0;
    uint32_t address = 0;
};

struct MemoryRun {
    uint32_t address;
    std::vector<uint8_t> bytes;
};

typedef std::array<int, kRegisterCount> RegisterValues;  // -1: left as it was

// Everything the files say, gathered whole before the board is touched.
struct Changes {
    bool remakesBoard = false;      // a saved board came: the board is made anew first
    std::vector<MemoryRun> memory;  // in file order: later runs win where they overlap
    std::map<std::pair<int, int>, RegisterValues> devices;
    std::set<std::pair<int, int>> absent;  // devices a snapshot found not answering: removed
    std::set<int> buses;
    std::vector<std::string> faults;

    // The caller keeps address + count within 4 GiB.
    void SetMemory(uint64_t address, const uint8_t* bytes, size_t count)
    {
        if (memory.empty() || memory.back().address + uint64_t{memory.back().bytes.size()} != address)
            memory.push_back({static_cast<uint32_t>(address), {}});
        memory.back().bytes.insert(memory.back().bytes.end(), bytes, bytes + count);
    }

    void SetRegister(int bus, int addr, int reg, int value)
    {
        absent.erase({bus, addr});
        auto [device, added] = devices.try_emplace({bus, addr});
        if (added)
            device->second.fill(-1);
        device->second[reg & 0xFF] = value;
    }

    void RemoveDevice(int bus, int addr)
    {
        devices.erase({bus, addr});
        absent.insert({bus, addr});
    }
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The whole text as hexadecimal digits (no prefix), at most 16 of them.
bool Hex(std::string_view text, uint64_t* value)
{
    if (text.empty() || text.size() > 16)
        return false;
    uint64_t result = 0;
    for (char c : text) {
        int digit = HexDigit(c);
        if (digit < 0)
            return false;
        result = result << 4 | static_cast<uint64_t>(digit);
    }
    *value = result;
    return true;
}

// A value of `size` bytes as it lies in little-endian memory.
void PutLittleEndian(uint64_t value, size_t size, uint8_t* bytes)
{
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

bool IsAccessWidth(size_t digits)
{
    return digits == 2 || digits == 4 || digits == 8 || digits == 16;
}

// Reads one file's lines into Changes; each problem is kept as "FILE:LINE: what".
class FileReader {
public:
    FileReader(const FileToLoad& file, Changes* changes, std::vector<std::string>* problems)
        : file_(file), changes_(changes), problems_(problems), cursor_(file.address)
    {
    }

    void ReadText(const std::string& text)
    {
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            std::string_view line(text.data() + start, end - start);
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
                line.remove_suffix(1);
            ++lineNumber_;
            if (!line.empty() && line[0] != '#') {
                std::string problem = ReadLine(line);
                if (!problem.empty())
                    problems_->push_back(file_.path + ":" + std::to_string(lineNumber_) + ": " + problem);
                if (needsOption_)
                    return;  // the rest of the file is of the same kind: once is enough
                firstLine_ = false;
            }
            start = end + 1;
        }
    }

private:
    std::string ReadLine(std::string_view line)
    {
        if (file_.kind == FileToLoad::Device)
            return line == kI2cdumpHeader ? "" : I2cdumpRow(line);
        if (file_.kind == FileToLoad::Memory)
            return DevmemValue(line);
        if (line == kSavedBoardHeader) {
            if (!firstLine_)
                return std::string("'") + kSavedBoardHeader + "' starts a saved board and must come first";
            // A saved board is a whole board: what came before it no longer counts.
            *changes_ = Changes();
            changes_->remakesBoard = true;
            savedBoard_ = true;
            return "";
        }
        if (line == kRigoSnapshotHeader) {
            if (!firstLine_)
                return std::string("'") + kRigoSnapshotHeader + "' starts a rigo snapshot and must come first";
            snapshot_ = true;
            return "";
        }
        if (savedBoard_)
            return SavedBoardLine(line);
        if (snapshot_)
            return RigoSnapshotLine(line.substr(0, line.find('#')));
        if (line.starts_with("0x") && line.find(" --> ") != std::string_view::npos)
            return RigoMemoryLine(line);
        if (line.starts_with("[/dev/i2c-"))
            return RigoI2cLine(std::string(line));
        if (line.size() > 8 && line.find(':') >= 8 && line.find(':') <= 16)
            return MemtoolLine(line);
        needsOption_ = true;
        if (line.starts_with("     0  1  2") || (line.size() > 3 && line[2] == ':' && line[3] == ' '))
            return "i2cdump output: name its device with --device BUS ADDR before the file";
        if (line.starts_with("0x") && IsAccessWidth(line.size() - 2))
            return "busybox devmem output: give its address with --at ADDRESS before the file";
        needsOption_ = false;
        return "not a line of a dump rigosim knows: '" + std::string(line.substr(0, 60)) + "'";
    }

    std::string SetMemory(uint64_t address, const uint8_t* bytes, size_t count)
    {
        if (address + count > kMemoryEnd)
            return "runs past 0xFFFFFFFF";
        changes_->SetMemory(address, bytes, count);
        return "";
    }

    // rigo -rd, -rd8, -rd16, -list: "0x70000804 --> 0x00003010"; the value's width is the access's.
    std::string RigoMemoryLine(std::string_view line)
    {
        size_t arrow = line.find(" --> ");
        uint64_t address = 0, value = 0;
        std::string_view digits = line.substr(arrow + 5);
        if (arrow != 10 || !Hex(line.substr(2, 8), &address) || !digits.starts_with("0x") ||
            !IsAccessWidth(digits.size() - 2) || digits.size() > 10 || !Hex(digits.substr(2), &value))
            return "malformed rigo memory line (expected 0xADDRESS --> 0xVALUE)";
        uint8_t bytes[4];
        size_t count = (digits.size() - 2) / 2;
        PutLittleEndian(value, count, bytes);
        return SetMemory(address, bytes, count);
    }

    // rigo -i2c and -i2c16 reads: "[/dev/i2c-4, Addr: 0x2D, Offset: 0x10] --> 0x55" (16-bit
    // values big-endian from the offset on), and runs: "[..., Initial Offset: 0x0] --> 0x0201",
    // highest register first, "??" where a register could not be read.
    std::string RigoI2cLine(const std::string& line)
    {
        bool run = line.find(", Initial Offset: ") != std::string::npos;
        unsigned bus = 0, addr = 0, offset = 0;
        int valueStart = -1;
        sscanf(line.c_str(),
               run ? "[/dev/i2c-%u, Addr: 0x%x, Initial Offset: 0x%x] --> 0x%n"
                   : "[/dev/i2c-%u, Addr: 0x%x, Offset: 0x%x] --> 0x%n",
               &bus, &addr, &offset, &valueStart);
        if (valueStart < 0)
            return "malformed rigo I2C line";
        if (bus > 0xFFFF || addr > 0x7F)
            return "bus or device address out of range";
        std::string_view digits = std::string_view(line).substr(static_cast<size_t>(valueStart));
        size_t count = digits.size() / 2;
        if (digits.empty() || digits.size() % 2 != 0 || (!run && count > 2))
            return "malformed rigo I2C value";
        for (size_t i = 0; i < count; ++i) {
            std::string_view pair = digits.substr(2 * i, 2);
            uint64_t value = 0;
            if (run && pair == "??")
                continue;
            if (!Hex(pair, &value))
                return "malformed rigo I2C value";
            unsigned reg = run ? offset + static_cast<unsigned>(count - 1 - i) : offset + static_cast<unsigned>(i);
            changes_->SetRegister(static_cast<int>(bus), static_cast<int>(addr), static_cast<int>(reg & 0xFF),
                                  static_cast<int>(value));
        }
        return "";
    }

    // memtool md: "70000800: 00003010 00000000" with up to 16 bytes of 8-, 16-, 32- or 64-bit
    // values, then, after two or more blanks, the ASCII column.
    std::string MemtoolLine(std::string_view line)
    {
        size_t colon = line.find(':');
        uint64_t address = 0;
        if (!Hex(line.substr(0, colon), &address))
            return "malformed memory line (expected ADDRESS: VALUE...)";
        std::string_view rest = line.substr(colon + 1);
        size_t position = 0, width = 0, count = 0;
        uint8_t bytes[16];
        while (position + 1 < rest.size() && rest[position] == ' ' && rest[position + 1] != ' ') {
            size_t end = std::min(rest.find(' ', position + 1), rest.size());
            std::string_view group = rest.substr(position + 1, end - position - 1);
            uint64_t value = 0;
            if ((width != 0 && group.size() != width) || !IsAccessWidth(group.size()) || !Hex(group, &value))
                return "malformed memory value '" + std::string(group) + "'";
            width = group.size();
            if (count + width / 2 > sizeof bytes)
                return "a memory line holds at most 16 bytes";
            PutLittleEndian(value, width / 2, bytes + count);
            count += width / 2;
            position = end;
        }
        if (count == 0)
            return "malformed memory line (expected ADDRESS: VALUE...)";
        return SetMemory(address, bytes, count);
    }

    // i2cdump in byte mode: "10: 00 XX 5a ..." then the ASCII column; blank cells lie outside
    // the dumped range and XX cells could not be read: both stay as they were.
    std::string I2cdumpRow(std::string_view line)
    {
        uint64_t row = 0;
        if (line.size() < 4 || line[2] != ':' || line[3] != ' ' || !Hex(line.substr(0, 2), &row) || row % 16 != 0)
            return "not an i2cdump byte-mode row";
        for (size_t column = 0; column < 16; ++column) {
            size_t at = 4 + 3 * column;
            std::string_view cell = at < line.size() ? line.substr(at, 2) : "";
            uint64_t value = 0;
            if (at + 2 < line.size() && line[at + 2] != ' ')
                return "malformed i2cdump cell";
            if (cell.find_first_not_of(' ') == std::string_view::npos || cell == "XX")
                continue;
            if (cell.size() != 2 || !Hex(cell, &value))
                return "malformed i2cdump cell '" + std::string(cell) + "'";
            changes_->SetRegister(file_.bus, file_.addr, static_cast<int>(row + column), static_cast<int>(value));
        }
        return "";
    }

    // busybox devmem: "0x00003010", one value per read, consecutive from the --at address on.
    std::string DevmemValue(std::string_view line)
    {
        uint64_t value = 0;
        if (!line.starts_with("0x") || !IsAccessWidth(line.size() - 2) || !Hex(line.substr(2), &value))
            return "not a busybox devmem value (0x and 2, 4, 8 or 16 hex digits)";
        uint8_t bytes[8];
        size_t count = (line.size() - 2) / 2;
        PutLittleEndian(value, count, bytes);
        std::string problem = SetMemory(cursor_, bytes, count);
        cursor_ += count;
        return problem;
    }

    // rigo -snapshot: "mem 0xADDRESS 0xVALUE", "i2c-BUS 0xDEVICE 0xREGISTER 0xVALUE" ("??" where
    // the read failed: left as it was) and "i2c-BUS 0xDEVICE absent"; comments after '#'.
    std::string RigoSnapshotLine(std::string_view line)
    {
        std::vector<std::string_view> words;
        for (size_t start = line.find_first_not_of(' '); start != std::string_view::npos;
             start = line.find_first_not_of(' ', start)) {
            size_t end = std::min(line.find(' ', start), line.size());
            words.push_back(line.substr(start, end - start));
            start = end;
        }
        uint64_t address = 0, value = 0, addr = 0, reg = 0;
        auto hex = [](std::string_view word, uint64_t max, uint64_t* number) {
            return word.starts_with("0x") && Hex(word.substr(2), number) && *number <= max;
        };
        if (words.size() == 3 && words[0] == "mem" && hex(words[1], 0xFFFFFFFC, &address) &&
            hex(words[2], 0xFFFFFFFF, &value)) {
            uint8_t bytes[4];
            PutLittleEndian(value, sizeof bytes, bytes);
            return SetMemory(address, bytes, sizeof bytes);
        }
        unsigned long bus = 0;
        if (words.size() < 3 || !words[0].starts_with("i2c-") || !ParseUnsigned(std::string(words[0].substr(4)), &bus) ||
            bus > 0xFFFF || !hex(words[1], 0x7F, &addr))
            return "malformed snapshot line";
        if (words.size() == 3 && words[2] == "absent")
            changes_->RemoveDevice(static_cast<int>(bus), static_cast<int>(addr));
        else if (words.size() == 4 && hex(words[2], 0xFF, &reg) && hex(words[3], 0xFF, &value))
            changes_->SetRegister(static_cast<int>(bus), static_cast<int>(addr), static_cast<int>(reg),
                                  static_cast<int>(value));
        else if (words.size() != 4 || !hex(words[2], 0xFF, &reg) || words[3] != "??")
            return "malformed snapshot line";
        return "";
    }

    std::string SavedBoardLine(std::string_view line)
    {
        if (line.starts_with("fault ")) {
            std::string rule(line.substr(6));
            FaultRule parsed;
            std::string problem;
            if (!ParseFaultRule(rule, &parsed, &problem))
                return "fault rule: " + problem;
            changes_->faults.push_back(rule);
            return "";
        }
        if (!line.starts_with("i2c-"))
            return MemtoolLine(line);
        unsigned bus = 0, addr = 0, row = 0;
        int end = -1;
        std::string text(line);
        if (sscanf(text.c_str(), "i2c-%5u%n", &bus, &end) == 1 && static_cast<size_t>(end) == text.size()) {
            changes_->buses.insert(static_cast<int>(bus));
            return "";
        }
        end = -1;
        sscanf(text.c_str(), "i2c-%5u 0x%2x %2x:%n", &bus, &addr, &row, &end);
        if (end < 0 || addr > 0x7F || row % 16 != 0 || text.size() != static_cast<size_t>(end) + 48)
            return "malformed device line (expected i2c-BUS 0xADDR ROW: 16 bytes)";
        changes_->buses.insert(static_cast<int>(bus));
        for (size_t column = 0; column < 16; ++column) {
            size_t at = static_cast<size_t>(end) + 3 * column;
            uint64_t value = 0;
            if (text[at] != ' ' || !Hex(std::string_view(text).substr(at + 1, 2), &value))
                return "malformed register value";
            changes_->SetRegister(static_cast<int>(bus), static_cast<int>(addr), static_cast<int>(row + column),
                                  static_cast<int>(value));
        }
        return "";
    }

    const FileToLoad& file_;
    Changes* changes_;
    std::vector<std::string>* problems_;
    uint64_t cursor_;  // where the next devmem value goes
    size_t lineNumber_ = 0;
    bool firstLine_ = true;
    bool savedBoard_ = false;
    bool snapshot_ = false;
    bool needsOption_ = false;  // a dump that --device or --at must introduce
};

std::string ReadWholeFile(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::string content;
    char buffer[65536];
    ssize_t count = 0;
    while (fd >= 0 && (count = read(fd, buffer, sizeof buffer)) > 0)
        content.append(buffer, static_cast<size_t>(count));
    int error = errno;
    if (fd >= 0)
        close(fd);
    if (fd < 0 || count < 0)
        throw std::runtime_error(path + ": " + strerror(error));
    return content;
}

void ReadRawImage(const FileToLoad& file, const std::string& image, Changes* changes,
                  std::vector<std::string>* problems)
{
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(image.data());
    if (file.kind == FileToLoad::Device) {
        if (image.size() > kRegisterCount)
            problems->push_back(file.path + ": " + std::to_string(image.size()) +
                                " bytes, more than a device's 256 registers");
        for (size_t reg = 0; reg < image.size() && reg < kRegisterCount; ++reg)
            changes->SetRegister(file.bus, file.addr, static_cast<int>(reg), bytes[reg]);
    } else if (file.address + uint64_t{image.size()} > kMemoryEnd) {
        problems->push_back(file.path + ": " + std::to_string(image.size()) +
                            " bytes from the address on run past 0xFFFFFFFF");
    } else {
        changes->SetMemory(file.address, bytes, image.size());
    }
}

unsigned long Number(const std::string& text, unsigned long max)
{
    unsigned long value = 0;
    if (!ParseUnsigned(text, &value) || value > max)
        throw std::runtime_error("bad number '" + text + "'");
    return value;
}

std::vector<FileToLoad> FilesToLoad(const std::vector<std::string>& args)
{
    std::vector<FileToLoad> files;
    FileToLoad next;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        bool qualified = next.kind != FileToLoad::Text;
        if ((word == "--device" || word == "--at") && qualified)
            throw std::runtime_error("load: give either --device or --at for a file, once");
        if (word == "--device" && i + 2 < args.size()) {
            next.kind = FileToLoad::Device;
            next.bus = static_cast<int>(Number(args[++i], 0xFFFF));
            next.addr = static_cast<int>(Number(args[++i], 0x7F));
        } else if (word == "--at" && i + 1 < args.size()) {
            next.kind = FileToLoad::Memory;
            next.address = static_cast<uint32_t>(Number(args[++i], 0xFFFFFFFF));
        } else if (word == "--raw") {
            next.raw = true;
        } else if (word.starts_with("--")) {
            throw std::runtime_error("load: unknown or incomplete option '" + word + "'");
        } else {
            if (next.raw && !qualified)
                throw std::runtime_error("load: --raw needs --device BUS ADDR or --at ADDRESS for " + word);
            next.path = word;
            files.push_back(next);
            next = FileToLoad();
        }
    }
    if (next.raw || next.kind != FileToLoad::Text || files.empty())
        throw std::runtime_error("load: the options before a file apply to it; a file must follow them");
    return files;
}

void WriteMemory(const std::string& path, const std::vector<MemoryRun>& runs)
{
    if (runs.empty())
        return;
    int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error(path + ": " + strerror(errno));
    for (const MemoryRun& run : runs) {
        for (size_t done = 0; done < run.bytes.size();) {
            ssize_t written = pwrite(fd, run.bytes.data() + done, run.bytes.size() - done,
                                     static_cast<off_t>(run.address) + static_cast<off_t>(done));
            if (written <= 0) {
                close(fd);
                throw std::runtime_error(path + ": " + strerror(errno));
            }
            done += static_cast<size_t>(written);
        }
    }
    close(fd);
}

void Apply(Board& board, const Changes& changes)
{
    if (changes.remakesBoard)
        board.Create();
    WriteMemory(board.MemoryFile(), changes.memory);
    for (int bus : changes.buses)
        board.AddBus(bus);
    for (const auto& [device, values] : changes.devices) {
        auto [bus, addr] = device;
        std::vector<uint8_t> registers = board.HasDevice(bus, addr) ? board.Registers(bus, addr, 0, kRegisterCount)
                                                                    : std::vector<uint8_t>(kRegisterCount);
        for (int reg = 0; reg < kRegisterCount; ++reg)
            if (values[reg] >= 0)
                registers[reg] = static_cast<uint8_t>(values[reg]);
        board.SetRegisters(bus, addr, 0, registers);
    }
    for (auto [bus, addr] : changes.absent)
        if (board.HasDevice(bus, addr))
            board.RemoveDevice(bus, addr);
    for (const std::string& rule : changes.faults)
        board.AddFault(rule);
}

}  // namespace

void LoadFiles(Board& board, const std::vector<std::string>& args)
{
    Changes changes;
    std::vector<std::string> problems;
    for (const FileToLoad& file : FilesToLoad(args)) {
        std::string content = ReadWholeFile(file.path);
        if (file.raw)
            ReadRawImage(file, content, &changes, &problems);
        else
            FileReader(file, &changes, &problems).ReadText(content);
    }
    if (!problems.empty()) {
        for (size_t i = 0; i < problems.size() && i < kProblemsShown; ++i)
            fprintf(stderr, "%s\n", problems[i].c_str());
        if (problems.size() > kProblemsShown)
            fprintf(stderr, "... and %zu more\n", problems.size() - kProblemsShown);
        throw std::runtime_error("nothing loaded: " + std::to_string(problems.size()) +
                                 (problems.size() == 1 ? " bad line" : " bad lines"));
    }
    Apply(board, changes);
}
