// Fault rules of a board (BOARD/faults) and the errno names used by rules and the trace.
#pragma once

#include <string>
#include <vector>

struct FaultRule {
    enum Kind { MemOpen, MemMmap, MemMunmap, MemBusError, I2cOpen, I2cNack };
    enum Direction { Any, Read, Write };

    Kind kind = MemOpen;
    int error = 0;
    long after = 0;    // matching operations that still succeed first
    long count = -1;   // failures before it succeeds again; -1 = forever
    int bus = -1;
    int addr = -1;     // I2C address
    int page = -1;     // mem buserror: the 4 KiB page (physical address >> 12) that does not answer
    Direction direction = Any;
};

// Parses one rule; on failure returns false and says why in *problem.
bool ParseFaultRule(const std::string& text, FaultRule* rule, std::string* problem);

// Rules of a faults file's text: '#' starts a comment, blank lines are skipped.
// Lines that do not parse are left out and reported in *problems.
std::vector<FaultRule> ParseFaultRules(const std::string& text, std::vector<std::string>* problems);

// A number as rules and the command line write it: 0x hex or decimal, nothing else.
bool ParseUnsigned(const std::string& text, unsigned long* value);

// "ENXIO" for ENXIO, the number for errno values without a name here.
std::string ErrnoName(int error);
// The errno value of a name or number, or 0 when it is neither.
int ErrnoValue(const std::string& text);
