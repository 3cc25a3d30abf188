#include "export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace fs = std::filesystem;

const char kSavedBoardHeader[] = "rigosim board";

namespace {

const off_t kPageSize = 4096;
const size_t kBytesPerLine = 16;

[[noreturn]] void Fail(const std::string& what)
{
    throw std::runtime_error(what + ": " + strerror(errno));
}

uint32_t LittleEndianWord(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24);
}

void AppendPage(off_t address, const uint8_t* page, std::string* text)
{
    char line[64];
    for (off_t offset = 0; offset < kPageSize; offset += kBytesPerLine) {
        const uint8_t* bytes = page + offset;
        snprintf(line, sizeof line, "%08x: %08x %08x %08x %08x\n", static_cast<unsigned>(address + offset),
                 static_cast<unsigned>(LittleEndianWord(bytes)), static_cast<unsigned>(LittleEndianWord(bytes + 4)),
                 static_cast<unsigned>(LittleEndianWord(bytes + 8)),
                 static_cast<unsigned>(LittleEndianWord(bytes + 12)));
        *text += line;
    }
}

// Only the file's data extents are read: the rest of the 4 GiB is holes, all zero.
void AppendMemory(const Board& board, std::string* text)
{
    int fd = open(board.MemoryFile().c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0)
        Fail(board.MemoryFile());
    std::vector<uint8_t> page(kPageSize);
    off_t nextPage = 0;
    while (nextPage < info.st_size) {
        off_t data = lseek(fd, nextPage, SEEK_DATA);
        if (data < 0 && errno == ENXIO)
            break;
        off_t hole = data < 0 ? info.st_size : lseek(fd, data, SEEK_HOLE);
        if (data < 0 || hole < 0)  // a file system without extents: read it all
            data = nextPage, hole = info.st_size;
        for (off_t address = std::max(nextPage, data / kPageSize * kPageSize); address < hole; address += kPageSize) {
            if (pread(fd, page.data(), page.size(), address) != kPageSize) {
                close(fd);
                Fail(board.MemoryFile());
            }
            if (std::any_of(page.begin(), page.end(), [](uint8_t byte) { return byte != 0; }))
                AppendPage(address, page.data(), text);
            nextPage = address + kPageSize;
        }
    }
    close(fd);
}

// The folder's entries named prefix + a number (in its plain decimal or two-digit hex form),
// in number order.
std::vector<int> NumberedEntries(const std::string& folder, const std::string& prefix, bool hex)
{
    std::vector<int> numbers;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (!name.starts_with(prefix) || name.size() == prefix.size())
            continue;
        std::string digits = name.substr(prefix.size());
        char* end = nullptr;
        long number = strtol(digits.c_str(), &end, hex ? 16 : 10);
        char canonical[16];
        snprintf(canonical, sizeof canonical, hex ? "%02lx" : "%ld", number);
        if (*end == '\0' && digits == canonical && (hex ? entry.is_regular_file() : entry.is_directory()))
            numbers.push_back(static_cast<int>(number));
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

void AppendBuses(const Board& board, std::string* text)
{
    char line[80];
    for (int bus : NumberedEntries(board.Path(), "i2c-", false)) {
        *text += "i2c-" + std::to_string(bus) + "\n";
        for (int addr : NumberedEntries(board.BusFolder(bus), "", true)) {
            if (addr > 0x7F)
                continue;
            std::vector<uint8_t> registers = board.Registers(bus, addr, 0, 256);
            for (int row = 0; row < 256; row += 16) {
                int length = snprintf(line, sizeof line, "i2c-%d 0x%02x %02x:", bus, addr, row);
                for (int column = 0; column < 16; ++column)
                    length += snprintf(line + length, sizeof line - static_cast<size_t>(length), " %02x",
                                       static_cast<unsigned>(registers[static_cast<size_t>(row + column)]));
                *text += std::string(line) + "\n";
            }
        }
    }
}

// Each rule with comments and extra blanks taken out.
void AppendFaults(const Board& board, std::string* text)
{
    std::ifstream file(board.Path() + "/faults");
    for (std::string line; std::getline(file, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string rule;
        for (std::string word; words >> word;)
            rule += (rule.empty() ? "" : " ") + word;
        if (!rule.empty())
            *text += "fault " + rule + "\n";
    }
}

}  // namespace

std::string SavedBoard(const Board& board)
{
    std::string text = std::string(kSavedBoardHeader) + "\n";
    AppendMemory(board, &text);
    AppendBuses(board, &text);
    AppendFaults(board, &text);
    return text;
}

void WriteWholeFile(const std::string& path, const std::string& text)
{
    std::string temporary = path + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0)
        Fail(path);
    bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    written = fchmod(fd, 0644) == 0 && written;
    written = close(fd) == 0 && written;
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        int saved = errno;
        unlink(temporary.c_str());
        errno = saved;
        Fail(path);
    }
}
