// -check PLAN: every expectation of the plan against the running board, one KTAP result
// each. The plan is read whole before the first access, so a plan that cannot be read
// touches nothing.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "bus/busfault.h"
#include "bus/mem.h"
#include "cli/cli.h"
#include "cli/plan.h"
#include "soc/chip.h"
#include "soc/clocks.h"
#include "soc/fuse.h"

namespace {

const int kPlanUnreadable = 2;
// A plan is a page or two of text; this bounds what a device node such as /dev/zero costs.
const size_t kPlanBytesMost = 1 << 20;

struct Outcome {
    bool ok;
    std::string diagnostic;
};

void PrintCheckHelp(FILE* stream)
{
    PrintCommandHelp(stream, "CHECK AGAINST A PLAN",
                     {"    -check <PLAN>",
                      "        Checks the board against each expectation of the PLAN file",
                      "        and prints one KTAP result per expectation.",
                      "",
                      "    chip <MODEL> <REVISION>",
                      "    rail <PMIC> [<I2C_NODE> <I2C_ADDR>] <NAME> ON/OFF <V> +-<TOL>",
                      "    clock <NAME> <FREQ> +-<TOL>",
                      "    iddq G/LP below <LIMIT>",
                      "    mem <ADDRESS> <MSB>:<LSB> <VALUE>[..<VALUE>]",
                      "    i2c <NODE> <ADDR> <REG> <MSB>:<LSB> <VALUE>[..<VALUE>]",
                      "",
                      "    Units: mV V Hz kHz MHz mA, tolerances also in %. # comments.",
                      "    Status: 0 all hold, 1 one fails, 2 the plan cannot be read.",
                      "",
                      "    Example         rigo -check belk-golden.plan"});
}

// The whole file, or false with errno set (EFBIG past kPlanBytesMost).
bool ReadPlanFile(const char* path, std::string* text)
{
    FILE* file = fopen(path, "r");
    if (file == nullptr)
        return false;
    char buffer[4096];
    size_t count = 0;
    while (text->size() <= kPlanBytesMost && (count = fread(buffer, 1, sizeof buffer, file)) > 0)
        text->append(buffer, count);
    bool read = ferror(file) == 0 && text->size() <= kPlanBytesMost;
    int readErrno = ferror(file) != 0 ? errno : EFBIG;
    fclose(file);
    errno = readErrno;
    return read;
}

const char* StateName(bool on)
{
    return on ? "ON" : "OFF";
}

std::string Judged(const std::string& measured, const std::string& expected)
{
    return "measured " + measured + ", expected " + expected;
}

// Measures expectations in plan order. I2C expectations share one register cache until one
// names another bus, so a device that does not answer costs its retries once per run of them.
class PlanRun {
public:
    Outcome Measure(const Expectation& expectation)
    {
        try {
            return std::visit([this](const auto& check) { return Measure(check); }, expectation.check);
        } catch (const MemError& error) {
            return {false, Printed("/dev/mem failed at line %d, file %s (%d) [%s]", error.site.line, error.site.file,
                                  error.err, strerror(error.err))};
        } catch (const BusFault& fault) {
            return {false, Printed("bus fault at 0x%08" PRIX64 ": nothing answers there", fault.address)};
        }
    }

private:
    // Only one bus node may be open at a time: the previous cache closes before the next opens.
    RegisterCache& CacheOf(DWORD node)
    {
        if (cache_ == nullptr || node_ != node) {
            cache_.reset();
            cache_ = std::make_unique<RegisterCache>(node);
            node_ = node;
        }
        return *cache_;
    }

    // Why a read through the cache failed.
    std::string Unanswered(const I2cDevice& device, const char* what)
    {
        unsigned node = device.node & 0xFF;
        unsigned address = device.address;
        if (!cache_->Opened())
            return Printed("/dev/i2c-%u cannot be opened", node);
        if (!cache_->Answers(device.address))
            return Printed("%s does not answer at 0x%02X on /dev/i2c-%u", what, address, node);
        return Printed("a register of %s at 0x%02X on /dev/i2c-%u cannot be read", what, address, node);
    }

    Outcome Measure(const ChipCheck& check)
    {
        const Chip& chip = RunningChip();
        std::string expected = ShownChip(check.model.c_str(), check.revision);
        const char* model = ChipModelName(chip.id);
        if (model == nullptr) {
            return {false,
                    Judged(Printed("chip ID 0x%02X, without a model name", static_cast<unsigned>(chip.id)), expected)};
        }
        bool ok = stricmp(model, check.model.c_str()) == 0 && ChipRevisionCode(chip) == check.revision;
        return {ok, Judged(ShownChip(model, ChipRevisionCode(chip)), expected)};
    }

    Outcome Measure(const RailCheck& check)
    {
        const RegulatorCommand& command = *check.command;
        I2cDevice device = check.device;
        if (!check.busGiven) {
            BusDefault home = DefaultBus(command.defaults);
            device = {home.bus, home.address};
        }
        if (device.address == 0)
            return {false, Printed("%s has no default bus and address on this chip", command.chip)};
        if (command.driver.readRail == nullptr)
            return {false, Printed("%s rails cannot be decoded", command.chip)};
        RailReading reading = {};
        if (!command.driver.readRail(device, check.rail, CacheOf(device.node), &reading))
            return {false, Unanswered(device, command.chip)};
        if (!reading.voltage)
            return {false, Printed("%s %s holds no voltage", command.chip, command.driver.railName(check.rail))};
        bool ok = reading.on == check.on && check.millivolts.Holds(reading.millivolts);
        std::string measured = ShowQuantity(reading.millivolts, check.millivolts.unit);
        return {ok, Judged(std::string(StateName(reading.on)) + " " + measured,
                           std::string(StateName(check.on)) + " " + ShowLimits(check.millivolts))};
    }

    Outcome Measure(const ClockCheck& check)
    {
        double hertz = 0;
        if (!ClockHertz(check.clock, &hertz))
            return {false, Printed("%s is not served on this chip, or its registers cannot be read", check.clock)};
        return {check.hertz.Holds(hertz), Judged(ShowQuantity(hertz, check.hertz.unit), ShowLimits(check.hertz))};
    }

    Outcome Measure(const IddqCheck& check)
    {
        if (RunningChip().id != kChipBelk)
            return {false, "the IDDQ fuses are decoded on Belk only"};
        DWORD fuses[kFuseWords];
        if (!ReadFuseBlock(fuses))
            return {false, "the fuse block cannot be made visible"};
        double milliamps = check.lowPower ? FuseIddqLP(fuses) : FuseIddqG(fuses);
        return {milliamps < check.milliamps,
                Judged(ShowQuantity(milliamps, check.unit), "below " + ShowQuantity(check.milliamps, check.unit))};
    }

    Outcome Measure(const MemoryCheck& check)
    {
        DWORD value = 0;
        if (ReadMemory(PhysicalAddress(check.address), 32, 0xFFFFFFFF, 0, &value) != 0)
            return {false, Printed("0x%08X cannot be unmapped after its read", static_cast<unsigned>(check.address))};
        return {check.field.Holds(value),
                Judged(Printed("0x%X", static_cast<unsigned>(check.field.Get(value))), ShowFieldLimits(check.field))};
    }

    Outcome Measure(const I2cCheck& check)
    {
        BYTE value = 0;
        if (!CacheOf(check.device.node).Read(check.device.address, check.reg, &value))
            return {false, Unanswered(check.device, "the device")};
        return {check.field.Holds(value),
                Judged(Printed("0x%X", static_cast<unsigned>(check.field.Get(value))), ShowFieldLimits(check.field))};
    }

    std::unique_ptr<RegisterCache> cache_;
    DWORD node_ = 0;
};

}  // namespace

void CheckCommand(int argc, char** argv)
{
    if (HelpAnswered(argc, argv, argc == 3, PrintCheckHelp))
        return;
    std::string text;
    if (!ReadPlanFile(argv[2], &text)) {
        fprintf(stderr, "%s: %s\n", argv[2], strerror(errno));
        exit(kPlanUnreadable);
    }
    ParsedPlan plan = ParsePlan(text);
    if (!plan.error.empty()) {
        if (plan.errorLine > 0)
            fprintf(stderr, "%s:%d: %s\n", argv[2], plan.errorLine, plan.error.c_str());
        else
            fprintf(stderr, "%s: %s\n", argv[2], plan.error.c_str());
        exit(kPlanUnreadable);
    }
    printf("KTAP version 1\n1..%zu\n", plan.expectations.size());
    PlanRun run;
    bool allHold = true;
    for (size_t i = 0; i < plan.expectations.size(); ++i) {
        const Expectation& expectation = plan.expectations[i];
        Outcome outcome = run.Measure(expectation);
        fputs(KtapResult(i + 1, outcome.ok, expectation.name, outcome.diagnostic).c_str(), stdout);
        allHold = allHold && outcome.ok;
    }
    if (!allHold)
        exit(1);
}
