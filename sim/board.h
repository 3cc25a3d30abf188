// A simulated board kept in a folder: physical memory as a sparse file, one folder per
// I2C bus with one 256-byte register file per device, fault rules and the trace.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Board {
public:
    explicit Board(std::string path);
    const std::string& Path() const { return path_; }

    // Empties the folder (it must be empty, missing or a board) and lays down blank memory,
    // no buses, no faults and an empty trace.
    void Create();
    bool Exists() const;

    uint32_t Word(uint32_t address) const;
    void SetWord(uint32_t address, uint32_t value);

    void AddBus(int bus);
    // The device reads all zeros afterwards, whether it was there or not.
    void AddDevice(int bus, int addr);
    void RemoveDevice(int bus, int addr);
    bool HasDevice(int bus, int addr) const;
    std::vector<uint8_t> Registers(int bus, int addr, int firstRegister, int count) const;
    // Creates the bus and the device if needed.
    void SetRegisters(int bus, int addr, int firstRegister, const std::vector<uint8_t>& bytes);

    void AddFault(const std::string& rule);  // throws when the rule does not parse
    void ClearFaults();

    std::string Trace() const;
    void ClearTrace();
    void AppendTrace(const std::string& line);  // one line, written whole

    std::string MemoryFile() const { return path_ + "/mem"; }
    std::string BusFolder(int bus) const;
    std::string DeviceFile(int bus, int addr) const;

private:
    std::string path_;
};
