// -diff A B [MASK]: the registers two snapshots disagree on, one line each in snapshot
// order, "LOCATION BEFORE -> AFTER  # what changed"; the status as diff(1) gives it. It
// reads only the files it is given, so it runs anywhere, board or not.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/snapshot.h"
#include "cli/text.h"
#include "soc/register_record.h"

namespace {

const int kSame = 0;
const int kDifferent = 1;
const int kTrouble = 2;

const char kMissingValue[] = "-";  // the side of a line only one snapshot has

struct SnapshotLine {
    std::string location;  // as -snapshot writes it: "mem 0x70000804", "i2c-4 0x2D 0x21", "i2c-4 0x48"
    std::string device;    // "i2c-4 0x48" on I2C lines, empty on memory lines
    std::string value;     // "0x00003010", "0x33", "absent" or "??"
    std::string comment;

    bool Absent() const { return value == kAbsentValue; }
};

struct Snapshot {
    std::vector<SnapshotLine> lines;
    std::map<std::string, size_t> lineAt;    // by location
    std::map<std::string, size_t> absentAt;  // the absent line of a device
    std::set<std::string> answering;          // devices with register lines
};

// The bits of a register left out of the comparison, by location.
typedef std::map<std::string, DWORD> Masks;

void PrintDiffHelp(FILE* stream)
{
    PrintCommandHelp(stream, "SNAPSHOT COMPARE",
                     {"  -diff <A> <B> [MASK]",
                      "      Compares two -snapshot files: one line per register that differs,",
                      "      LOCATION BEFORE -> AFTER and what it decodes to. Status 0 when",
                      "      they agree, 1 when they differ, 2 for a file error or bad usage.",
                      "",
                      "  [MASK]          File of registers to leave out, one per line:",
                      "                  mem <ADDRESS> [BITS] or i2c-<N> <DEV> <REG> [BITS]",
                      "                  (BITS: those ignored, all when absent; # comments)",
                      "",
                      "  Compare         rigo -diff golden.snap board.snap timers.mask"});
}

[[noreturn]] void ExitTrouble(const std::string& message)
{
    fflush(stdout);
    fprintf(stderr, "rigo -diff: %s\n", message.c_str());
    exit(kTrouble);
}

std::vector<std::string> FileLines(const char* path)
{
    FILE* file = fopen(path, "r");
    if (file == nullptr)
        ExitTrouble(std::string(path) + ": " + strerror(errno));
    std::vector<std::string> lines;
    std::string line;
    for (int c = fgetc(file); c != EOF; c = fgetc(file)) {
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        lines.push_back(line);
        line.clear();
    }
    int error = ferror(file) != 0 ? errno : 0;  // a folder opens, then fails its first read
    fclose(file);
    if (error != 0)
        ExitTrouble(std::string(path) + ": " + strerror(error));
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// The I2C device at the start of `words` ("i2c-BUS DEVICE") as -snapshot writes it.
bool DeviceLocation(const std::vector<std::string>& words, std::string* device)
{
    DWORD bus = 0, deviceAddress = 0;
    if (words.size() < 2 || words[0].compare(0, 4, "i2c-") != 0 || !WholeNumber(words[0].substr(4), 0xFFFF, &bus) ||
        !WholeNumber(words[1], 0x7F, &deviceAddress))
        return false;
    *device = Printed("i2c-%u 0x%02X", static_cast<unsigned>(bus), static_cast<unsigned>(deviceAddress));
    return true;
}

// The register at the start of `words` ("mem ADDRESS" or "i2c-BUS DEVICE REGISTER") as
// -snapshot writes it, with its device (none for memory).
bool RegisterLocation(const std::vector<std::string>& words, std::string* location, std::string* device)
{
    DWORD address = 0, reg = 0;
    if (words.size() >= 2 && words[0] == "mem" && WholeNumber(words[1], 0xFFFFFFFF, &address)) {
        *location = Printed("mem 0x%08X", static_cast<unsigned>(address));
        device->clear();
        return true;
    }
    if (words.size() < 3 || !DeviceLocation(words, device) || !WholeNumber(words[2], 0xFF, &reg))
        return false;
    *location = Printed("%s 0x%02X", device->c_str(), static_cast<unsigned>(reg));
    return true;
}

bool ParseSnapshotLine(const std::string& text, SnapshotLine* line)
{
    size_t hash = text.find('#');
    std::vector<std::string> words = LineWords(text);
    size_t comment = hash == std::string::npos ? std::string::npos : text.find_first_not_of(" \t", hash + 1);
    line->comment = comment == std::string::npos ? "" : text.substr(comment);
    if (words.size() == 3 && words[2] == kAbsentValue) {
        if (!DeviceLocation(words, &line->device))
            return false;
        line->location = line->device;
        line->value = kAbsentValue;
        return true;
    }
    bool memory = !words.empty() && words[0] == "mem";
    DWORD value = 0;
    if (words.size() != (memory ? 3u : 4u) || !RegisterLocation(words, &line->location, &line->device))
        return false;
    if (words.back() == kUnreadableValue)
        line->value = kUnreadableValue;
    else if (WholeNumber(words.back(), memory ? 0xFFFFFFFF : 0xFF, &value))
        line->value = Printed(memory ? "0x%08X" : "0x%02X", static_cast<unsigned>(value));
    else
        return false;
    return true;
}

bool IsBlankOrComment(const std::string& line)
{
    size_t first = line.find_first_not_of(" \t\r");
    return first == std::string::npos || line[first] == '#';
}

Snapshot ReadSnapshot(const char* path)
{
    Snapshot snapshot;
    bool headerSeen = false;
    std::vector<std::string> lines = FileLines(path);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string where = std::string(path) + ":" + std::to_string(i + 1) + ": ";
        if (IsBlankOrComment(lines[i]))
            continue;
        if (!headerSeen) {
            if (LineWords(lines[i]) != LineWords(kSnapshotHeader))
                ExitTrouble(where + "not a snapshot (it must start with \"" + kSnapshotHeader + "\")");
            headerSeen = true;
            continue;
        }
        SnapshotLine line;
        if (!ParseSnapshotLine(lines[i], &line))
            ExitTrouble(where + "not a snapshot line");
        if (snapshot.lineAt.count(line.location) != 0)
            ExitTrouble(where + line.location + " listed twice");
        snapshot.lineAt[line.location] = snapshot.lines.size();
        if (line.Absent())
            snapshot.absentAt[line.device] = snapshot.lines.size();
        else if (!line.device.empty())
            snapshot.answering.insert(line.device);
        snapshot.lines.push_back(line);
    }
    if (!headerSeen)
        ExitTrouble(std::string(path) + ": empty, not a snapshot");
    return snapshot;
}

Masks ReadMasks(const char* path)
{
    Masks masks;
    std::vector<std::string> lines = FileLines(path);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::string> words = LineWords(lines[i]);
        if (words.empty())
            continue;
        std::string location, device;
        DWORD bits = 0xFFFFFFFF;
        size_t locationWords = words[0] == "mem" ? 2 : 3;
        if (!RegisterLocation(words, &location, &device) || words.size() > locationWords + 1 ||
            (words.size() == locationWords + 1 && !WholeNumber(words.back(), 0xFFFFFFFF, &bits)))
            ExitTrouble(std::string(path) + ":" + std::to_string(i + 1) + ": not a mask line");
        masks[location] |= bits;
    }
    return masks;
}

std::vector<std::string> Split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end = text.find(separator); end != std::string::npos; end = text.find(separator, start)) {
        parts.push_back(text.substr(start, end - start));
        start = end + separator.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

// What changed, from the two comments "NAME: READING; READING": the readings that differ as
// "BEFORE -> AFTER" after the name; the comment as it was when no reading changed.
std::string ChangedReadings(const std::string& before, const std::string& after)
{
    size_t colon = before.find(": ");
    std::string name = colon == std::string::npos ? "" : before.substr(0, colon + 2);
    if (before == after || after.compare(0, name.size(), name) != 0)
        return before == after ? before : before + " -> " + after;
    std::vector<std::string> was = Split(before.substr(name.size()), "; ");
    std::vector<std::string> is = Split(after.substr(name.size()), "; ");
    if (was.size() != is.size())
        return before + " -> " + after;
    std::vector<std::string> changes;
    for (size_t i = 0; i < was.size(); ++i)
        if (was[i] != is[i])
            changes.push_back(was[i] + " -> " + is[i]);
    return name + Joined(changes);
}

bool SameValue(const SnapshotLine& a, const SnapshotLine& b, const Masks& masks)
{
    auto mask = masks.find(a.location);
    DWORD ignored = mask == masks.end() ? 0 : mask->second;
    DWORD valueA = 0, valueB = 0;
    if (WholeNumber(a.value, 0xFFFFFFFF, &valueA) && WholeNumber(b.value, 0xFFFFFFFF, &valueB))
        return ((valueA ^ valueB) & ~ignored) == 0;
    return a.value == b.value;
}

void PrintChange(const std::string& location, const std::string& before, const std::string& after,
                 const std::string& comment)
{
    printf("%s %s -> %s%s%s\n", location.c_str(), before.c_str(), after.c_str(), comment.empty() ? "" : "  # ",
           comment.c_str());
}

// Walks two snapshots in order and prints their differences; a device that answers in one
// and not in the other is one line.
class Comparison {
public:
    Comparison(const Snapshot& a, const Snapshot& b, const Masks& masks) : a_(a), b_(b), masks_(masks) {}

    int Run()
    {
        size_t next = 0;  // the first line of B not yet printed or compared
        for (const SnapshotLine& line : a_.lines) {
            auto counterpart = b_.lineAt.find(line.location);
            if (counterpart == b_.lineAt.end()) {
                OnlyIn(line, true);
                continue;
            }
            for (; next < counterpart->second; ++next)
                if (a_.lineAt.count(b_.lines[next].location) == 0)
                    OnlyIn(b_.lines[next], false);
            Compare(line, b_.lines[counterpart->second]);
            next = std::max(next, counterpart->second + 1);
        }
        for (; next < b_.lines.size(); ++next)
            if (a_.lineAt.count(b_.lines[next].location) == 0)
                OnlyIn(b_.lines[next], false);
        return differences_ == 0 ? kSame : kDifferent;
    }

private:
    void Compare(const SnapshotLine& a, const SnapshotLine& b)
    {
        if (SameValue(a, b, masks_))
            return;
        ++differences_;
        PrintChange(a.location, a.value, b.value, ChangedReadings(a.comment, b.comment));
    }

    // A line of A only (inA) or of B only.
    void OnlyIn(const SnapshotLine& line, bool inA)
    {
        auto mask = masks_.find(line.location);
        if (mask != masks_.end() && mask->second == 0xFFFFFFFF)
            return;
        const Snapshot& other = inA ? b_ : a_;
        auto absent = other.absentAt.find(line.device);
        if ((line.Absent() && other.answering.count(line.device) != 0) || absent != other.absentAt.end()) {
            PresenceChange(line, inA, absent == other.absentAt.end() ? line : other.lines[absent->second]);
            return;
        }
        ++differences_;
        if (inA)
            PrintChange(line.location, line.value, kMissingValue, line.comment);
        else
            PrintChange(line.location, kMissingValue, line.value, line.comment);
    }

    // A device absent on one side, with registers on the other: one line for the device.
    void PresenceChange(const SnapshotLine& line, bool inA, const SnapshotLine& absentLine)
    {
        if (line.device.empty() || !reported_.insert(line.device).second)
            return;
        ++differences_;
        bool absentInA = inA == line.Absent();
        PrintChange(line.device, absentInA ? kAbsentValue : "present", absentInA ? "present" : kAbsentValue,
                    absentLine.comment);
    }

    const Snapshot& a_;
    const Snapshot& b_;
    const Masks& masks_;
    std::set<std::string> reported_;  // devices whose presence change is printed
    int differences_ = 0;
};

}  // namespace

void DiffCommand(int argc, char** argv)
{
    if (HelpAnswered(argc, argv, argc == 4 || argc == 5, PrintDiffHelp))
        return;
    Snapshot a = ReadSnapshot(argv[2]);
    Snapshot b = ReadSnapshot(argv[3]);
    Masks masks = argc == 5 ? ReadMasks(argv[4]) : Masks();
    int status = Comparison(a, b, masks).Run();
    fflush(stdout);
    exit(status);
}
