#include "vcd.h"

#include <cstdint>
#include <map>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "faults.h"

namespace {

// Standard mode, 100 kHz: in each 10 µs bit SDA settles 2 µs into SCL low, SCL is high from
// 5 µs to 10 µs. Start and stop hold 5 µs; the bus rests a bit time between transfers.
const uint64_t kBit = 10;
const uint64_t kDataSetup = 2;
const uint64_t kHalfBit = 5;

struct Message {
    unsigned addr;
    bool read;
    std::vector<uint8_t> bytes;  // what was written or read; a failed transfer read nothing
};

// One trace line's transfer: "i2c-4 0x2d w 22 r 33", "... 0x51 r ?? failed ENXIO".
struct Transfer {
    int bus = 0;
    std::vector<Message> messages;
    bool failed = false;
};

struct Event {
    bool isTransfer = false;
    uint64_t pause = 0;  // microseconds
    Transfer transfer;
};

bool ParseByte(const std::string& word, uint8_t* value)
{
    unsigned long number = 0;
    if (word.size() != 2 || !ParseUnsigned("0x" + word, &number))
        return false;
    *value = static_cast<uint8_t>(number);
    return true;
}

bool ParseTransfer(const std::string& line, Transfer* transfer)
{
    std::istringstream words(line);
    std::string word;
    unsigned long number = 0;
    words >> word;
    if (!ParseUnsigned(word.substr(4), &number) || number > 0xFFFF || word.substr(4).starts_with("0x"))
        return false;
    transfer->bus = static_cast<int>(number);
    unsigned long addr = 0x400;
    while (words >> word) {
        uint8_t byte = 0;
        if (word == "w" || word == "r") {
            if (addr > 0x3FF)
                return false;
            transfer->messages.push_back({static_cast<unsigned>(addr), word == "r", {}});
        } else if (word.starts_with("0x")) {
            if (!ParseUnsigned(word, &addr))
                return false;
        } else if (word == "failed") {
            transfer->failed = true;
            return words >> word && !(words >> word);
        } else if (!transfer->messages.empty() && ParseByte(word, &byte)) {
            transfer->messages.back().bytes.push_back(byte);
        } else if (transfer->messages.empty() || word != "??") {
            return false;
        }
    }
    return !transfer->messages.empty();
}

std::vector<Event> ParseTrace(const std::string& trace)
{
    std::vector<Event> events;
    std::istringstream lines(trace);
    size_t number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        Event event;
        unsigned long microseconds = 0;
        bool good = true;
        event.isTransfer = line.starts_with("i2c-");
        if (line.starts_with("usleep "))
            good = ParseUnsigned(line.substr(7), &microseconds);
        else if (event.isTransfer)
            good = ParseTransfer(line, &event.transfer);
        else
            continue;  // opens, closes, mappings and run markers put nothing on a bus
        if (!good)
            throw std::runtime_error("trace line " + std::to_string(number) + ": cannot read '" + line + "'");
        event.pause = microseconds;
        events.push_back(event);
    }
    return events;
}

// The wires and their value changes, written in time order.
class Dump {
public:
    explicit Dump(const std::vector<Event>& events)
    {
        for (const Event& event : events)
            if (event.isTransfer)
                wires_[event.transfer.bus] = {};
        int index = 0;
        for (auto& [bus, wires] : wires_) {
            wires.scl = Identifier(index++);
            wires.sda = Identifier(index++);
        }
    }

    std::string Text(const std::vector<Event>& events)
    {
        header_ = "$comment I2C traffic recorded by rigosim, standard mode (100 kHz) $end\n"
                  "$timescale 1 us $end\n$scope module rigosim $end\n";
        std::string initial;
        for (const auto& [bus, wires] : wires_) {
            header_ += "$var wire 1 " + wires.scl + " i2c" + std::to_string(bus) + "_scl $end\n";
            header_ += "$var wire 1 " + wires.sda + " i2c" + std::to_string(bus) + "_sda $end\n";
            initial += "1" + wires.scl + "\n1" + wires.sda + "\n";
        }
        header_ += "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n" + initial + "$end\n";
        uint64_t time = kBit;
        for (const Event& event : events)
            time = event.isTransfer ? Put(event.transfer, time) + kBit : time + event.pause;
        changes_ += "#" + std::to_string(time) + "\n";
        return header_ + changes_;
    }

private:
    struct Wires {
        std::string scl, sda;
        bool sclHigh = true, sdaHigh = true;
    };

    static std::string Identifier(int index)
    {
        std::string id;
        do {
            id += static_cast<char>('!' + index % 94);
            index /= 94;
        } while (index > 0);
        return id;
    }

    void Drive(uint64_t time, const std::string& id, bool* state, bool high)
    {
        if (*state == high)
            return;
        *state = high;
        if (time != lastTime_)
            changes_ += "#" + std::to_string(time) + "\n";
        lastTime_ = time;
        changes_ += (high ? "1" : "0") + id + "\n";
    }
    void Scl(uint64_t time, bool high) { Drive(time, wires_[bus_].scl, &wires_[bus_].sclHigh, high); }
    void Sda(uint64_t time, bool high) { Drive(time, wires_[bus_].sda, &wires_[bus_].sdaHigh, high); }

    // Each of these starts and ends with SCL low, except Start (from idle) and Stop (to idle).
    uint64_t Start(uint64_t t)
    {
        Sda(t, false);
        Scl(t + kHalfBit, false);
        return t + kHalfBit;
    }
    uint64_t RepeatedStart(uint64_t t)
    {
        Sda(t + kDataSetup, true);
        Scl(t + kHalfBit, true);
        Sda(t + kBit, false);
        Scl(t + kBit + kHalfBit, false);
        return t + kBit + kHalfBit;
    }
    uint64_t Bit(uint64_t t, bool high)
    {
        Sda(t + kDataSetup, high);
        Scl(t + kHalfBit, true);
        Scl(t + kBit, false);
        return t + kBit;
    }
    // Eight bits, most significant first, then the receiver's ACK (low) or NACK (high).
    uint64_t Byte(uint64_t t, unsigned value, bool nack)
    {
        for (int bit = 7; bit >= 0; --bit)
            t = Bit(t, (value >> bit & 1) != 0);
        return Bit(t, nack);
    }
    uint64_t Stop(uint64_t t)
    {
        Sda(t + kDataSetup, false);
        Scl(t + kHalfBit, true);
        Sda(t + kBit, true);
        return t + kBit;
    }

    // A failed transfer shows as its first address byte not acknowledged, then a stop. The
    // master NACKs the last byte it reads.
    uint64_t Put(const Transfer& transfer, uint64_t t)
    {
        bus_ = transfer.bus;
        t = Start(t);
        for (size_t i = 0; i < transfer.messages.size(); ++i) {
            const Message& message = transfer.messages[i];
            if (i > 0)
                t = RepeatedStart(t);
            // A 10-bit address starts with 11110, its two upper bits and R/W.
            unsigned first = message.addr > 0x7F ? 0xF0 | (message.addr >> 7 & 6) : message.addr << 1;
            t = Byte(t, first | (message.read ? 1 : 0), transfer.failed);
            if (transfer.failed)
                break;
            for (size_t j = 0; j < message.bytes.size(); ++j)
                t = Byte(t, message.bytes[j], message.read && j + 1 == message.bytes.size());
        }
        return Stop(t);
    }

    std::map<int, Wires> wires_;
    int bus_ = 0;
    uint64_t lastTime_ = 0;
    std::string header_;
    std::string changes_;
};

}  // namespace

std::string TraceVcd(const std::string& trace)
{
    std::vector<Event> events = ParseTrace(trace);
    return Dump(events).Text(events);
}
