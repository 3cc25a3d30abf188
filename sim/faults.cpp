#include "faults.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <sstream>

namespace {

struct ErrnoEntry {
    const char* name;
    int value;
};

const ErrnoEntry kErrnos[] = {
    {"EACCES", EACCES}, {"EPERM", EPERM},       {"ENOENT", ENOENT},   {"ENXIO", ENXIO},
    {"EIO", EIO},       {"EREMOTEIO", EREMOTEIO}, {"ENOMEM", ENOMEM}, {"EINVAL", EINVAL},
    {"EBUSY", EBUSY},   {"ETIMEDOUT", ETIMEDOUT}, {"EAGAIN", EAGAIN}, {"ENODEV", ENODEV},
    {"EBADF", EBADF},   {"EFAULT", EFAULT},     {"ENOTTY", ENOTTY},   {"EOPNOTSUPP", EOPNOTSUPP},
};

struct KindEntry {
    const char* device;
    const char* operation;
    FaultRule::Kind kind;
    int defaultError;
    const char* keys;  // the keys the rule takes, each followed by a blank
};

const KindEntry kKinds[] = {
    {"mem", "open", FaultRule::MemOpen, EACCES, "errno "},
    {"mem", "mmap", FaultRule::MemMmap, ENOMEM, "errno after "},
    {"mem", "munmap", FaultRule::MemMunmap, EINVAL, "errno after "},
    {"mem", "buserror", FaultRule::MemBusError, 0, "addr "},
    {"i2c", "open", FaultRule::I2cOpen, ENOENT, "bus errno "},
    {"i2c", "nack", FaultRule::I2cNack, ENXIO, "bus addr dir after count errno "},
};

bool SetKey(FaultRule* rule, const std::string& key, const std::string& value, std::string* problem)
{
    if (key == "errno") {
        rule->error = ErrnoValue(value);
        if (rule->error == 0)
            *problem = "unknown errno '" + value + "'";
        return rule->error != 0;
    }
    if (key == "dir") {
        if (value == "any" || value == "read" || value == "write") {
            rule->direction = value == "any" ? FaultRule::Any : value == "read" ? FaultRule::Read : FaultRule::Write;
            return true;
        }
        *problem = "dir must be any, read or write";
        return false;
    }
    unsigned long number = 0;
    if (rule->kind == FaultRule::MemBusError) {
        uint64_t physical = 0;
        if (!ParseUnsigned(value, &number) || (physical = number) > 0xFFFFFFFF) {
            *problem = "bad address '" + value + "'";
            return false;
        }
        rule->page = static_cast<int>(physical >> 12);
        return true;
    }
    if (!ParseUnsigned(value, &number) || number > 0x7FFFFFFF) {
        *problem = "bad number '" + value + "' for " + key;
        return false;
    }
    if ((key == "addr" && number > 0x7F) || (key == "bus" && number > 0xFFFF)) {
        *problem = key + " out of range";
        return false;
    }
    if (key == "bus")
        rule->bus = static_cast<int>(number);
    else if (key == "addr")
        rule->addr = static_cast<int>(number);
    else if (key == "after")
        rule->after = static_cast<long>(number);
    else
        rule->count = static_cast<long>(number);
    return true;
}

}  // namespace

bool ParseUnsigned(const std::string& text, unsigned long* value)
{
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = text.c_str() + (hex ? 2 : 0);
    if (!isxdigit(static_cast<unsigned char>(*digits)))
        return false;
    char* end = nullptr;
    errno = 0;
    *value = strtoul(digits, &end, hex ? 16 : 10);
    return *end == '\0' && errno == 0;
}

std::string ErrnoName(int error)
{
    for (const ErrnoEntry& entry : kErrnos)
        if (entry.value == error)
            return entry.name;
    return std::to_string(error);
}

int ErrnoValue(const std::string& text)
{
    for (const ErrnoEntry& entry : kErrnos)
        if (text == entry.name)
            return entry.value;
    unsigned long number = 0;
    if (ParseUnsigned(text, &number) && number > 0 && number < 4096)
        return static_cast<int>(number);
    return 0;
}

bool ParseFaultRule(const std::string& text, FaultRule* rule, std::string* problem)
{
    std::istringstream words(text);
    std::string device, operation;
    words >> device >> operation;
    const KindEntry* kind = nullptr;
    for (const KindEntry& entry : kKinds)
        if (device == entry.device && operation == entry.operation)
            kind = &entry;
    if (kind == nullptr) {
        *problem = "unknown rule '" + (operation.empty() ? device : device + " " + operation) + "'";
        return false;
    }
    *rule = FaultRule();
    rule->kind = kind->kind;
    rule->error = kind->defaultError;
    std::string word;
    while (words >> word) {
        size_t equals = word.find('=');
        std::string key = word.substr(0, equals);
        if (equals == std::string::npos || std::string(kind->keys).find(key + " ") == std::string::npos) {
            *problem = "'" + word + "' does not belong to a " + device + " " + operation + " rule";
            return false;
        }
        if (!SetKey(rule, key, word.substr(equals + 1), problem))
            return false;
    }
    if ((rule->kind == FaultRule::I2cOpen || rule->kind == FaultRule::I2cNack) && rule->bus < 0) {
        *problem = "bus= is required";
        return false;
    }
    if ((rule->kind == FaultRule::I2cNack && rule->addr < 0) ||
        (rule->kind == FaultRule::MemBusError && rule->page < 0)) {
        *problem = "addr= is required";
        return false;
    }
    return true;
}

std::vector<FaultRule> ParseFaultRules(const std::string& text, std::vector<std::string>* problems)
{
    std::vector<FaultRule> rules;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        line = line.substr(0, line.find('#'));
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        FaultRule rule;
        std::string problem;
        if (ParseFaultRule(line, &rule, &problem))
            rules.push_back(rule);
        else
            problems->push_back(line + ": " + problem);
    }
    return rules;
}
