#include "cli/plan.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "cli/text.h"
#include "soc/chip.h"
#include "soc/clocks.h"

namespace {

// Thrown while reading one line, with the reason the line cannot be read.
struct BadLine {
    std::string reason;
};

using Words = std::vector<std::string>;

enum Dimension { kVoltage, kFrequency, kCurrent };

struct DimensionUnit {
    Unit unit;
    Dimension dimension;
};

// Case matters: mV and MV, mHz and MHz are not the same.
const DimensionUnit kUnits[] = {
    {{"mV", 1}, kVoltage},
    {{"V", 1e3}, kVoltage},
    {{"Hz", 1}, kFrequency},
    {{"kHz", 1e3}, kFrequency},
    {{"MHz", 1e6}, kFrequency},
    {{"mA", 1}, kCurrent},
};

const char* const kDimensionNames[] = {"a voltage in mV or V", "a frequency in Hz, kHz or MHz", "a current in mA"};

// A value in base units and the unit it was written in.
struct Quantity {
    double value;
    const Unit* unit;
};

// The length of the number that starts the word: digits with at most one point; 0 for none.
size_t NumberLength(const std::string& word)
{
    size_t digits = 0;
    size_t points = 0;
    size_t length = 0;
    for (; length < word.size(); ++length) {
        if (isdigit(static_cast<unsigned char>(word[length])))
            ++digits;
        else if (word[length] != '.' || ++points > 1)
            break;
    }
    return digits == 0 ? 0 : length;
}

// A number and its unit with no blank between: "1212.5mV", "1.2V", "204MHz".
std::optional<Quantity> ReadQuantity(const std::string& word, Dimension dimension)
{
    size_t length = NumberLength(word);
    if (length == 0)
        return std::nullopt;
    for (const DimensionUnit& candidate : kUnits)
        if (candidate.dimension == dimension && word.compare(length, std::string::npos, candidate.unit.symbol) == 0)
            return Quantity{strtod(word.c_str(), nullptr) * candidate.unit.scale, &candidate.unit};
    return std::nullopt;
}

Quantity ParseQuantity(const std::string& word, Dimension dimension)
{
    std::optional<Quantity> quantity = ReadQuantity(word, dimension);
    if (!quantity)
        throw BadLine{"'" + word + "' is not " + kDimensionNames[dimension]};
    return *quantity;
}

// NOMINAL +-TOLERANCE, the tolerance in the nominal's dimension or in percent of it.
Limits ParseLimits(const std::string& nominalWord, const std::string& toleranceWord, Dimension dimension)
{
    Quantity nominal = ParseQuantity(nominalWord, dimension);
    std::string tolerance = toleranceWord.substr(toleranceWord.rfind("+-", 0) == 0 ? 2 : toleranceWord.size());
    double spread = 0;
    if (std::optional<Quantity> absolute = ReadQuantity(tolerance, dimension))
        spread = absolute->value;
    else if (NumberLength(tolerance) + 1 == tolerance.size() && tolerance.back() == '%')
        spread = nominal.value * strtod(tolerance.c_str(), nullptr) / 100;
    else
        throw BadLine{"tolerance '" + toleranceWord + "' is not +- " + kDimensionNames[dimension] + " or in %"};
    return {nominal.value - spread, nominal.value + spread, nominal.unit};
}

DWORD ParseWhole(const std::string& word, const std::string& what, DWORD maximum)
{
    DWORD value = 0;
    if (!WholeNumber(word, maximum, &value)) {
        throw BadLine{what + " '" + word + "' is not a number from 0 to " +
                      Printed(maximum > 255 ? "0x%X" : "%u", static_cast<unsigned>(maximum))};
    }
    return value;
}

I2cDevice ParseDevice(const std::string& node, const std::string& address)
{
    I2cDevice device = {ParseWhole(node, "bus", 255), ParseWhole(address, "device address", 0x7F)};
    if (device.address == 0)
        throw BadLine{"device address 0 is the general call, not a device"};
    return device;
}

// MSB:LSB of a register of `widest` + 1 bits, and VALUE or LOW..HIGH.
FieldLimits ParseField(const std::string& bits, const std::string& values, unsigned widest)
{
    size_t colon = bits.find(':');
    if (colon == std::string::npos)
        throw BadLine{"bits '" + bits + "' are not MSB:LSB"};
    FieldLimits field = {};
    field.msb = ParseWhole(bits.substr(0, colon), "bit", widest);
    field.lsb = ParseWhole(bits.substr(colon + 1), "bit", field.msb);
    DWORD largest = field.Get(0xFFFFFFFF);
    std::string what = "value of bits " + bits;
    size_t dots = values.find("..");
    field.low = ParseWhole(values.substr(0, dots), what, largest);
    field.high = dots == std::string::npos ? field.low : ParseWhole(values.substr(dots + 2), what, largest);
    if (field.high < field.low)
        throw BadLine{"range '" + values + "' runs downwards"};
    return field;
}

// chip MODEL REVISION
Expectation ParseChip(const Words& words)
{
    if (!IsChipModelName(words[1].c_str()))
        throw BadLine{"unknown chip model '" + words[1] + "'"};
    const std::string& revision = words[2];
    char* end = nullptr;
    DWORD code = strtoul(revision.c_str(), &end, 16);
    if (revision.size() > 4 || !isxdigit(static_cast<unsigned char>(revision[0])) || *end != '\0')
        throw BadLine{"revision '" + revision + "' is not as -chip shows it (A01, B02 ...)"};
    return {0, "chip", ChipCheck{words[1], code}};
}

const CommandRow* FindRegulatorRow(const std::string& word)
{
    for (const CommandRow& row : CommandRegistry())
        if (row.regulator != nullptr && stricmp(row.keyword + 1, word.c_str()) == 0)
            return &row;
    throw BadLine{"unknown regulator '" + word + "'"};
}

size_t FindRail(const RegulatorCommand& command, const std::string& word)
{
    for (size_t index = 0; command.driver.railName(index) != nullptr; ++index)
        if (stricmp(command.driver.railName(index), word.c_str()) == 0)
            return index;
    throw BadLine{std::string(command.chip) + " has no rail '" + word + "'"};
}

bool ParseState(const std::string& word)
{
    if (stricmp(word.c_str(), "on") != 0 && stricmp(word.c_str(), "off") != 0)
        throw BadLine{"state '" + word + "' is not on or off"};
    return stricmp(word.c_str(), "on") == 0;
}

// rail REGULATOR [NODE ADDRESS] NAME on|off VOLTAGE +-TOLERANCE
Expectation ParseRail(const Words& words)
{
    const CommandRow& row = *FindRegulatorRow(words[1]);
    RailCheck check = {row.regulator, 0, words.size() == 8, {}, false, {}};
    size_t at = check.busGiven ? 4 : 2;  // the rail name
    std::string name = std::string("rail.") + (row.keyword + 1);
    if (check.busGiven) {
        check.device = ParseDevice(words[2], words[3]);
        name += Printed(".%u.0x%02X", static_cast<unsigned>(check.device.node),
                       static_cast<unsigned>(check.device.address));
    }
    check.rail = FindRail(*check.command, words[at]);
    check.on = ParseState(words[at + 1]);
    check.millivolts = ParseLimits(words[at + 2], words[at + 3], kVoltage);
    return {0, name + "." + check.command->driver.railName(check.rail), check};
}

// clock NAME FREQUENCY +-TOLERANCE
Expectation ParseClock(const Words& words)
{
    for (size_t index = 0; const char* clock = ClockName(index); ++index)
        if (stricmp(clock, words[1].c_str()) == 0)
            return {0, std::string("clock.") + clock, ClockCheck{clock, ParseLimits(words[2], words[3], kFrequency)}};
    throw BadLine{"unknown clock '" + words[1] + "'"};
}

// iddq G|LP below LIMIT
Expectation ParseIddq(const Words& words)
{
    bool lowPower = stricmp(words[1].c_str(), "LP") == 0;
    if (!lowPower && stricmp(words[1].c_str(), "G") != 0)
        throw BadLine{"IDDQ variant '" + words[1] + "' is not G or LP"};
    if (stricmp(words[2].c_str(), "below") != 0)
        throw BadLine{"an IDDQ limit reads 'below LIMIT'"};
    Quantity limit = ParseQuantity(words[3], kCurrent);
    return {0, lowPower ? "iddq.LP" : "iddq.G", IddqCheck{lowPower, limit.value, limit.unit}};
}

// mem ADDRESS MSB:LSB VALUE[..VALUE]
Expectation ParseMemory(const Words& words)
{
    MemoryCheck check = {ParseWhole(words[1], "address", 0xFFFFFFFF), ParseField(words[2], words[3], 31)};
    return {0, Printed("mem.0x%08X.%u:%u", static_cast<unsigned>(check.address), check.field.msb, check.field.lsb),
            check};
}

// i2c NODE ADDRESS REGISTER MSB:LSB VALUE[..VALUE]
Expectation ParseI2c(const Words& words)
{
    I2cCheck check = {ParseDevice(words[1], words[2]), static_cast<BYTE>(ParseWhole(words[3], "register", 255)),
                      ParseField(words[4], words[5], 7)};
    return {0,
            Printed("i2c.%u.0x%02X.0x%02X.%u:%u", static_cast<unsigned>(check.device.node),
                   static_cast<unsigned>(check.device.address), static_cast<unsigned>(check.reg), check.field.msb,
                   check.field.lsb),
            check};
}

struct LineForm {
    const char* keyword;
    const char* usage;
    size_t wordCounts[2];  // the counts of words the line may have
    Expectation (*parse)(const Words& words);
};

const LineForm kLineForms[] = {
    {"chip", "chip MODEL REVISION", {3, 3}, ParseChip},
    {"rail", "rail REGULATOR [NODE ADDRESS] NAME on|off VOLTAGE +-TOLERANCE", {6, 8}, ParseRail},
    {"clock", "clock NAME FREQUENCY +-TOLERANCE", {4, 4}, ParseClock},
    {"iddq", "iddq G|LP below LIMIT", {4, 4}, ParseIddq},
    {"mem", "mem ADDRESS MSB:LSB VALUE[..VALUE]", {4, 4}, ParseMemory},
    {"i2c", "i2c NODE ADDRESS REGISTER MSB:LSB VALUE[..VALUE]", {6, 6}, ParseI2c},
};

Expectation ParseLine(const Words& words)
{
    for (const LineForm& form : kLineForms) {
        if (stricmp(form.keyword, words[0].c_str()) != 0)
            continue;
        if (words.size() != form.wordCounts[0] && words.size() != form.wordCounts[1])
            throw BadLine{std::string("expected ") + form.usage};
        return form.parse(words);
    }
    throw BadLine{"unknown expectation '" + words[0] + "'"};
}

}  // namespace

ParsedPlan ParsePlan(std::string_view text)
{
    ParsedPlan plan;
    for (int line = 1; !text.empty(); ++line) {
        size_t end = text.find('\n');
        Words words = LineWords(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (words.empty())
            continue;
        try {
            Expectation expectation = ParseLine(words);
            expectation.line = line;
            for (const Expectation& earlier : plan.expectations)
                if (earlier.name == expectation.name)
                    throw BadLine{expectation.name + " is already checked on line " + std::to_string(earlier.line)};
            plan.expectations.push_back(std::move(expectation));
        } catch (const BadLine& bad) {
            return {{}, line, bad.reason};
        }
    }
    if (plan.expectations.empty())
        plan.error = "no expectation in the plan";
    return plan;
}

std::string ShowQuantity(double value, const Unit* unit)
{
    return Printed("%.10g %s", value / unit->scale, unit->symbol);
}

std::string ShowLimits(const Limits& limits)
{
    return ShowQuantity(limits.low, limits.unit) + " to " + ShowQuantity(limits.high, limits.unit);
}

std::string ShowFieldLimits(const FieldLimits& field)
{
    if (field.low == field.high)
        return Printed("0x%X", static_cast<unsigned>(field.low));
    return Printed("0x%X to 0x%X", static_cast<unsigned>(field.low), static_cast<unsigned>(field.high));
}

std::string KtapResult(size_t number, bool ok, const std::string& name, const std::string& diagnostic)
{
    return "# " + name + ": " + diagnostic + "\n" + (ok ? "ok " : "not ok ") + std::to_string(number) + " " + name +
           "\n";
}
