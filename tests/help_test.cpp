#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "main.h"

namespace {

const char kBanner[] = "\nRigo : Quorvan Android I/O Utility (v2.6.0, 03/12/2013)\n\n";
const size_t kWidth = 76;

struct Section {
    std::string title;
    std::string opening;
    std::vector<std::string> rows;  // the lines between the two borders
    std::string closing;
};

// Runs ShowHelp with stderr sent to a temporary file and returns what it wrote.
std::string CaptureHelp()
{
    FILE* tmp = tmpfile();
    if (tmp == nullptr) {
        ADD_FAILURE() << "tmpfile failed";
        return "";
    }
    fflush(stderr);
    int saved = dup(STDERR_FILENO);
    dup2(fileno(tmp), STDERR_FILENO);
    ShowHelp();
    fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);

    std::string text;
    rewind(tmp);
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, tmp)) > 0) {
        text.append(buffer, got);
    }
    fclose(tmp);
    return text;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

// Splits the text after the banner into title / border / rows / border / empty line groups.
std::vector<Section> ParseSections(const std::vector<std::string>& lines)
{
    std::vector<Section> sections;
    size_t i = 3;
    while (i < lines.size()) {
        Section s;
        s.title = lines[i++];
        if (i < lines.size()) {
            s.opening = lines[i++];
        }
        while (i < lines.size() && lines[i].rfind("+", 0) != 0) {
            s.rows.push_back(lines[i++]);
        }
        if (i < lines.size()) {
            s.closing = lines[i++];
        }
        EXPECT_TRUE(i < lines.size() && lines[i].empty()) << "no empty line after " << s.title;
        ++i;
        sections.push_back(s);
    }
    return sections;
}

std::string Border(char c)
{
    return "+" + std::string(kWidth - 2, c) + "+";
}

std::string Row(const std::string& text)
{
    return "|" + text + std::string(kWidth - 2 - text.size(), ' ') + "|";
}

size_t Indent(const std::string& row)
{
    return row.find_first_not_of(' ', 1) - 1;
}

}  // namespace

TEST(Help, Layout)
{
    const std::string text = CaptureHelp();
    ASSERT_EQ(text.compare(0, sizeof kBanner - 1, kBanner), 0) << "help must open with the banner block";
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\n\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '%'), 1);

    const std::vector<std::string> titles = {
        "VERSION", "MEMORY DUMP", "MEMORY READ", "MEMORY WRITE", "EMC DVFS Table",
        "I2C I/O (8-bit)", "I2C I/O (16-bit)", "AMS AS3720", "TEXAS INSTRUMENTS LP8755",
        "TEXAS INSTRUMENTS TI-TPS62361", "TEXAS INSTRUMENTS TI-TPS51632",
        "TEXAS INSTRUMENTS TI-TPS62365", "TEXAS INSTRUMENTS TI-TPS62366",
        "TEXAS INSTRUMENTS TI-TPS65911", "TEXAS INSTRUMENTS TI-TPS65913",
        "TEXAS INSTRUMENTS TI-TPS80031", "TEXAS INSTRUMENTS TI-TPS80032",
        "TEXAS INSTRUMENTS TI-TPS80036", "MAXIM DS4422N/DS4424N", "MAXIM MAX77660",
        "MAXIM MAX77663/MAX77664", "FREQUENCY", "BOARD ID INFO", "CHIP INFO", "CHIP FUSE INFO",
        "IDDQ LIMIT TESTING",
    };
    const std::vector<Section> sections = ParseSections(SplitLines(text));
    ASSERT_EQ(sections.size(), titles.size());

    const std::string separator = "|" + std::string(kWidth - 2, '-') + "|";
    for (size_t n = 0; n < sections.size(); ++n) {
        const Section& s = sections[n];
        SCOPED_TRACE(s.title);
        EXPECT_EQ(s.title, titles[n]);
        EXPECT_EQ(s.opening, Border(n < 3 ? '-' : '='));
        EXPECT_EQ(s.closing, Border('='));
        ASSERT_FALSE(s.rows.empty());
        EXPECT_NE(s.rows.front(), separator);
        EXPECT_NE(s.rows.back(), separator);

        // VERSION and MEMORY DUMP sit two columns in, every other box four.
        const size_t indent = n < 2 ? 2 : 4;
        size_t least = kWidth;
        for (size_t r = 0; r < s.rows.size(); ++r) {
            const std::string& row = s.rows[r];
            ASSERT_EQ(row.size(), kWidth) << row;
            EXPECT_EQ(row.front(), '|') << row;
            EXPECT_EQ(row.back(), '|') << row;
            if (row[1] == '-') {
                EXPECT_EQ(row, separator);
                EXPECT_TRUE(r > 0 && s.rows[r - 1] != separator) << "empty group";
            } else if (row != Row("")) {
                least = std::min(least, Indent(row));
            }
        }
        EXPECT_EQ(least, indent);
        // The usage group leads with the command itself.
        EXPECT_EQ(Indent(s.rows.front()), indent);
        EXPECT_EQ(s.rows.front()[indent + 1], '-');
    }
}

TEST(Help, SampleRows)
{
    const std::vector<Section> sections = ParseSections(SplitLines(CaptureHelp()));
    std::map<std::string, const Section*> byTitle;
    for (const Section& s : sections) {
        byTitle[s.title] = &s;
    }

    const std::multimap<std::string, std::string> samples = {
        {"VERSION", "  -ver"},
        {"MEMORY DUMP", "      Dumps 32-bit physical memory values from a starting address."},
        {"MEMORY DUMP", "  <BASE>          The physical base memory address to start reading from."},
        {"MEMORY DUMP", "  Dump 100        rigo -mem list 0x7000F404 100"},
        {"MEMORY READ", "    -rd/-rd32/-rd16/-rd8 <ADDRESS> [MASK [SHIFT]]"},
        {"MEMORY READ", "    [SHIFT]         Returns actual value based on supplied mask."},
        {"MEMORY WRITE", "                    rigo -wr 0x7000F404 0x12121212"},
        {"MEMORY WRITE", "     8-bit Write    rigo -wr8 0x7000F404 0x12"},
        {"EMC DVFS Table", "        Dumps the DVFS table for the current EMC frequency."},
        {"I2C I/O (8-bit)", "    -i2c <NODE> <ADDR> <SLAVE_ADDR> wr [VALUE] [VALUE] [VALUE] ..."},
        {"I2C I/O (8-bit)", "    [VALUE]         The 8-bit value to be written to the I2C device."},
        {"I2C I/O (16-bit)", "    <NODE>          The I2C device node to use (ex. 1 --> /dev/i2c-1)."},
        {"I2C I/O (16-bit)", "    [VALUE]         The 16-bit value to be written to the I2C device."},
        {"AMS AS3720", "                    LDO8, LDO9, LDO10, LDO11"},
        {"AMS AS3720", "        Lists all PMU voltage rails and their current level, in mV."},
        {"TEXAS INSTRUMENTS LP8755", "    <NAME>          BUCK0, BUCK1, BUCK2, BUCK3, BUCK4, BUCK5"},
        {"TEXAS INSTRUMENTS TI-TPS62361", "    -tps62361 <I2C_NODE> <I2C_ADDR> <NAME> [VALUE]"},
        {"TEXAS INSTRUMENTS TI-TPS62361", "    Voltage Write   rigo -tps62361 SET3 1250"},
        {"TEXAS INSTRUMENTS TI-TPS51632", "    <NAME>          CPU"},
        {"TEXAS INSTRUMENTS TI-TPS62365", "                    Use SET3 if VSEL1=1 and VSEL0=1"},
        {"TEXAS INSTRUMENTS TI-TPS62365", "    Enable LDO7     rigo -tps80031 LDO7 ON"},
        {"TEXAS INSTRUMENTS TI-TPS62366", "    -tps62366 <NAME> [VALUE]"},
        {"TEXAS INSTRUMENTS TI-TPS62366", "                    Use SET1 if VSEL0=1"},
        {"TEXAS INSTRUMENTS TI-TPS65911", "        Bypass for LDO7/LDO8 (allows -5% skew)."},
        {"TEXAS INSTRUMENTS TI-TPS65911", "                    LDO3, LDO3, LDO4, LDO5, LDO6, LDO7, LDO8"},
        {"TEXAS INSTRUMENTS TI-TPS65911", "    VDD1 Write      rigo -tps65911 VDD1 1212.5"},
        {"TEXAS INSTRUMENTS TI-TPS65913", "    <NAME>          SMPS12, SMPS123, SMPS3, SMPS45, SMPS6, SMPS7, SMPS8,"},
        {"TEXAS INSTRUMENTS TI-TPS80031", "    Enable LDO7     rigo -tps80031 LDO7 ON"},
        {"TEXAS INSTRUMENTS TI-TPS80032", "    -tps80032 <I2C_NODE> <I2C_ADDR> <NAME> [ON/OFF/VALUE]"},
        {"TEXAS INSTRUMENTS TI-TPS80032", "    Enable LDO7     rigo -tps80032 LDO7 ON"},
        {"TEXAS INSTRUMENTS TI-TPS80036", "                    LDO10, LDO11, LDO12, LDO13, LDO14, LDOLN, LDOUSB"},
        {"MAXIM DS4422N/DS4424N", "    -ds4424N <I2C_NODE> <I2C_ADDR> <NAME> <MIN> <NOM> <MAX> <SI> [VALUE]"},
        {"MAXIM DS4422N/DS4424N", "                    BRD05, BRD05, BRD06, BRD08, BRD09,"},
        {"MAXIM DS4422N/DS4424N", "    Voltage Write   rigo -ds4422n OUT0 1250"},
        {"MAXIM MAX77660", "    <NAME>          (MAX77663): BUCK1, BUCK2, BUCK3, BUCK4, BUCK5, BUCK6,"},
        {"MAXIM MAX77660", "                    LDO18"},
        {"MAXIM MAX77663/MAX77664", "                    (MAX77664): SD0, SD1, SD2, SD3, SD4, LDO0, LDO1,"},
        {"MAXIM MAX77663/MAX77664", "    SD1 READ        rigo -max77663 SD1"},
        {"FREQUENCY", "    <NAME>          The PLL or interface name."},
        {"FREQUENCY", "                    Supported: OSC, EMC"},
        {"BOARD ID INFO", "    -id <I2C_NODE> <I2C_ADDR>"},
        {"CHIP INFO", "        Prints the Sorvo chip version."},
        {"CHIP FUSE INFO", "        Prints the most common  Sorvo chip fuse information."},
        {"IDDQ LIMIT TESTING", ""},
        {"IDDQ LIMIT TESTING", "        FAIL if calculated value is at/above  supplied [LIMIT]."},
        {"IDDQ LIMIT TESTING", "    [LIMIT]         The IDDQ limit (or threshold), in mA."},
    };
    for (const auto& [title, text] : samples) {
        auto it = byTitle.find(title);
        ASSERT_NE(it, byTitle.end()) << title;
        const std::vector<std::string>& rows = it->second->rows;
        EXPECT_NE(std::find(rows.begin(), rows.end(), Row(text)), rows.end())
            << title << " lacks \"" << text << "\"";
    }
}
