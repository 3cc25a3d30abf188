// rigosim trace --vcd: the recorded I2C traffic as a logic analyser would capture it, one SCL
// and one SDA wire per bus in a Value Change Dump.
#pragma once

#include <string>

// Throws std::runtime_error naming the first trace line that does not parse.
std::string TraceVcd(const std::string& trace);
