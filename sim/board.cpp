#include "board.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "faults.h"

namespace fs = std::filesystem;

namespace {

const off_t kMemorySize = off_t{1} << 32;
const int kRegisterCount = 256;

[[noreturn]] void Fail(const std::string& what)
{
    throw std::runtime_error(what + ": " + strerror(errno));
}

// An open file that closes itself.
class File {
public:
    File(const std::string& path, int flags) : fd_(open(path.c_str(), flags | O_CLOEXEC, 0644)), path_(path)
    {
        if (fd_ < 0)
            Fail(path);
    }
    ~File() { close(fd_); }
    int Descriptor() const { return fd_; }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    void Read(void* data, size_t size, off_t offset) const
    {
        if (pread(fd_, data, size, offset) != static_cast<ssize_t>(size))
            Fail(path_);
    }
    void Write(const void* data, size_t size, off_t offset) const
    {
        if (pwrite(fd_, data, size, offset) != static_cast<ssize_t>(size))
            Fail(path_);
    }
    void Resize(off_t size) const
    {
        if (ftruncate(fd_, size) != 0)
            Fail(path_);
    }

private:
    int fd_;
    std::string path_;
};

void CheckRange(int firstRegister, long count)
{
    if (firstRegister < 0 || count < 0 || firstRegister + count > kRegisterCount)
        throw std::runtime_error("registers " + std::to_string(firstRegister) + " + " + std::to_string(count) +
                                 " lie outside 0..255");
}

}  // namespace

Board::Board(std::string path) : path_(std::move(path)) {}

void Board::Create()
{
    if (fs::exists(path_)) {
        if (!fs::is_directory(path_) || (!fs::is_empty(path_) && !Exists()))
            throw std::runtime_error(path_ + ": exists and is not a board folder");
        for (const fs::directory_entry& entry : fs::directory_iterator(path_))
            fs::remove_all(entry.path());
    }
    fs::create_directories(path_);
    File(MemoryFile(), O_RDWR | O_CREAT | O_TRUNC).Resize(kMemorySize);
    File(path_ + "/faults", O_WRONLY | O_CREAT | O_TRUNC);
    File(path_ + "/trace", O_WRONLY | O_CREAT | O_TRUNC);
}

bool Board::Exists() const
{
    return fs::is_regular_file(MemoryFile());
}

uint32_t Board::Word(uint32_t address) const
{
    uint32_t value = 0;
    File(MemoryFile(), O_RDONLY).Read(&value, sizeof value, address);
    return value;
}

void Board::SetWord(uint32_t address, uint32_t value)
{
    File(MemoryFile(), O_WRONLY).Write(&value, sizeof value, address);
}

std::string Board::BusFolder(int bus) const
{
    return path_ + "/i2c-" + std::to_string(bus);
}

std::string Board::DeviceFile(int bus, int addr) const
{
    char name[8];
    snprintf(name, sizeof name, "/%02x", addr & 0x7F);
    return BusFolder(bus) + name;
}

void Board::AddBus(int bus)
{
    if (bus < 0)
        throw std::runtime_error("bad bus number " + std::to_string(bus));
    fs::create_directories(BusFolder(bus));
}

void Board::AddDevice(int bus, int addr)
{
    if (addr < 0 || addr > 0x7F)
        throw std::runtime_error("bad device address " + std::to_string(addr));
    AddBus(bus);
    File device(DeviceFile(bus, addr), O_WRONLY | O_CREAT | O_TRUNC);
    device.Resize(kRegisterCount);
}

void Board::RemoveDevice(int bus, int addr)
{
    if (!HasDevice(bus, addr))
        throw std::runtime_error(DeviceFile(bus, addr) + ": no such device");
    fs::remove(DeviceFile(bus, addr));
}

bool Board::HasDevice(int bus, int addr) const
{
    return addr >= 0 && addr <= 0x7F && fs::is_regular_file(DeviceFile(bus, addr));
}

std::vector<uint8_t> Board::Registers(int bus, int addr, int firstRegister, int count) const
{
    CheckRange(firstRegister, count);
    if (!HasDevice(bus, addr))
        throw std::runtime_error(DeviceFile(bus, addr) + ": no such device");
    std::vector<uint8_t> bytes(count);
    File(DeviceFile(bus, addr), O_RDONLY).Read(bytes.data(), bytes.size(), firstRegister);
    return bytes;
}

void Board::SetRegisters(int bus, int addr, int firstRegister, const std::vector<uint8_t>& bytes)
{
    CheckRange(firstRegister, static_cast<long>(bytes.size()));
    if (!HasDevice(bus, addr))
        AddDevice(bus, addr);
    File(DeviceFile(bus, addr), O_WRONLY).Write(bytes.data(), bytes.size(), firstRegister);
}

void Board::AddFault(const std::string& rule)
{
    FaultRule parsed;
    std::string problem;
    if (!ParseFaultRule(rule, &parsed, &problem))
        throw std::runtime_error("fault rule '" + rule + "': " + problem);
    std::ofstream(path_ + "/faults", std::ios::app) << rule << '\n';
}

void Board::ClearFaults()
{
    File(path_ + "/faults", O_WRONLY | O_CREAT | O_TRUNC);
}

std::string Board::Trace() const
{
    std::ifstream file(path_ + "/trace");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void Board::ClearTrace()
{
    File(path_ + "/trace", O_WRONLY | O_CREAT | O_TRUNC);
}

void Board::AppendTrace(const std::string& line)
{
    std::string text = line + "\n";
    File trace(path_ + "/trace", O_WRONLY | O_CREAT | O_APPEND);
    if (write(trace.Descriptor(), text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        Fail(path_ + "/trace");
}
