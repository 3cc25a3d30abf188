// End-to-end harness: a fresh simulated board per test, programs run on it through
// `rigosim run`, and the board's registers, faults and trace for the checks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board.h"

struct RunResult {
    int status;  // exit status, or 128 + signal number
    std::string out;
    std::string err;
};

class SimBoard {
public:
    explicit SimBoard(const std::string& model);  // "belk", "0x33:1", ...
    ~SimBoard();
    SimBoard(const SimBoard&) = delete;
    SimBoard& operator=(const SimBoard&) = delete;

    RunResult Rigo(const std::vector<std::string>& args);  // the built rigo; trace cleared first
    RunResult Run(const std::vector<std::string>& argv);   // any program; trace cleared first

    uint32_t Word(uint32_t address);
    void SetWord(uint32_t address, uint32_t value);
    void AddDevice(int bus, int addr);
    void RemoveDevice(int bus, int addr);
    uint8_t Register(int bus, int addr, int reg);
    std::vector<uint8_t> Registers(int bus, int addr, int reg, int count);
    void SetRegisters(int bus, int addr, int reg, const std::vector<uint8_t>& bytes);
    void Fault(const std::string& rule);
    void ClearFaults();
    std::vector<std::string> Trace();      // lines of the last run
    std::vector<std::string> Transfers();  // only the i2c transfer lines of the last run
    int Pauses(int microseconds);          // "usleep <microseconds>" lines of the last run
    const std::string& Path() const;

private:
    std::string folder_;  // holds the board and the captured output of a run
    Board board_;
};

// Runs a program outside any board (rigosim itself, for instance), stdin from /dev/null.
RunResult RunCommand(const std::vector<std::string>& argv);

// The full help text as rigo prints it (read once from `rigo` with no arguments).
std::string HelpText();
