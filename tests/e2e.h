// End-to-end harness: a fresh simulated board per test, programs run on it through
// `rigosim run`, and the board's registers, faults and trace for the checks.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "board.h"

using Lines = std::vector<std::string>;

struct RunResult {
    int status;  // exit status, or 128 + signal number
    std::string out;
    std::string err;
    bool operator==(const RunResult&) const = default;
};
void PrintTo(const RunResult& result, std::ostream* os);  // for gtest's failure messages

class SimBoard {
public:
    explicit SimBoard(const std::string& model);  // "belk", "0x33:1", ...
    ~SimBoard();
    SimBoard(const SimBoard&) = delete;
    SimBoard& operator=(const SimBoard&) = delete;

    RunResult Rigo(const std::vector<std::string>& args);  // the built rigo; trace cleared first
    RunResult Run(const std::vector<std::string>& argv);   // any program; trace cleared first
    // The standard output of a rigo run that is to succeed: status 0, nothing on stderr.
    std::string RigoOut(const std::vector<std::string>& args);

    uint32_t Word(uint32_t address) { return board_.Word(address); }
    void SetWord(uint32_t address, uint32_t value) { board_.SetWord(address, value); }
    void AddDevice(int bus, int addr) { board_.AddDevice(bus, addr); }
    uint8_t Register(int bus, int addr, int reg) { return board_.Registers(bus, addr, reg, 1)[0]; }
    std::vector<uint8_t> Registers(int bus, int addr, int reg, int count)
    {
        return board_.Registers(bus, addr, reg, count);
    }
    void SetRegisters(int bus, int addr, int reg, const std::vector<uint8_t>& bytes)
    {
        board_.SetRegisters(bus, addr, reg, bytes);
    }
    void Fault(const std::string& rule) { board_.AddFault(rule); }
    void ClearFaults() { board_.ClearFaults(); }
    void SetFault(const std::string& rule) { ClearFaults(); Fault(rule); }  // replaces every rule
    Lines Trace();                         // lines of the last run, without the "# " markers
    Lines Transfers();                     // only the i2c transfer lines of the last run
    Lines BusLines();                      // the I2C side of the last run: opens, closes, transfers
    Lines BusTrace();                      // the same with the pauses
    int Pauses(int microseconds);          // "usleep <microseconds>" lines of the last run
    const std::string& Path() const { return board_.Path(); }

private:
    Lines TraceWhere(bool (*keep)(const std::string& line));
    std::string folder_;  // holds the board and the captured output of a run
    Board board_;
};

// Writes a file beside the board's folder; its path.
std::string Beside(const SimBoard& board, const std::string& name, const std::string& content);

// Runs a program outside any board, stdin from /dev/null; Sim runs rigosim with `args`.
RunResult RunCommand(const std::vector<std::string>& argv);
RunResult Sim(const std::vector<std::string>& args);
Lines SplitLines(const std::string& text);
// Whether a program of the build machine can run on a board: in a cross build the preload
// library is the target's, which the build machine's programs cannot load.
bool Installed(const char* program);

// The full help text as rigo prints it (read once from `rigo` with no arguments).
std::string HelpText();
