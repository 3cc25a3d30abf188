// The help text: the banner, one 76-column box per command family in table order, and a
// few characteristic rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "e2e.h"

TEST(Help, BannerBoxesAndSampleRows)
{
    const std::string banner = "\nRigo : Quorvan Android I/O Utility (v2.6.0, 03/12/2013)\n\n";
    const std::string text = HelpText();
    ASSERT_EQ(text.rfind(banner, 0), 0u);
    EXPECT_TRUE(text.ends_with("+\n\n"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '%'), 1);  // "-5% skew", printed as is

    std::vector<std::string> lines;
    std::istringstream in(text.substr(banner.size()));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);

    const std::string thin = "+" + std::string(74, '-') + "+";
    const std::string thick = "+" + std::string(74, '=') + "+";
    std::vector<std::string> titles, rows;
    for (size_t i = 0; i + 3 < lines.size();) {
        // Title, border, rows, closing border, empty line. The first three boxes open
        // with a thin border; VERSION and MEMORY DUMP sit two columns in, the rest four.
        const size_t box = titles.size();
        titles.push_back(lines[i++]);
        SCOPED_TRACE(titles.back());
        EXPECT_EQ(lines[i++], box < 3 ? thin : thick);
        const std::string indent(box < 2 ? 2 : 4, ' ');
        EXPECT_EQ(lines[i].substr(0, indent.size() + 2), "|" + indent + "-");
        for (; i < lines.size() && lines[i][0] == '|'; ++i) {
            EXPECT_EQ(lines[i].size(), 76u) << lines[i];
            EXPECT_EQ(lines[i].back(), '|') << lines[i];
            rows.push_back(lines[i].substr(1, 74));
        }
        ASSERT_LT(i + 1, lines.size());
        EXPECT_EQ(lines[i++], thick);
        EXPECT_EQ(lines[i++], "");
    }
    EXPECT_EQ(titles, (std::vector<std::string>{
                          "VERSION", "MEMORY DUMP", "MEMORY READ", "MEMORY WRITE", "EMC DVFS Table",
                          "I2C I/O (8-bit)", "I2C I/O (16-bit)", "AMS AS3720", "TEXAS INSTRUMENTS LP8755",
                          "TEXAS INSTRUMENTS TI-TPS62361", "TEXAS INSTRUMENTS TI-TPS51632",
                          "TEXAS INSTRUMENTS TI-TPS62365", "TEXAS INSTRUMENTS TI-TPS62366",
                          "TEXAS INSTRUMENTS TI-TPS65911", "TEXAS INSTRUMENTS TI-TPS65913",
                          "TEXAS INSTRUMENTS TI-TPS80031", "TEXAS INSTRUMENTS TI-TPS80032",
                          "TEXAS INSTRUMENTS TI-TPS80036", "MAXIM DS4422N/DS4424N", "MAXIM MAX77660",
                          "MAXIM MAX77663/MAX77664", "FREQUENCY", "BOARD ID INFO", "CHIP INFO",
                          "CHIP FUSE INFO", "IDDQ LIMIT TESTING"}));

    for (const char* sample : {
             "        Bypass for LDO7/LDO8 (allows -5% skew).",
             "                    LDO3, LDO3, LDO4, LDO5, LDO6, LDO7, LDO8",
             "    -ds4424N <I2C_NODE> <I2C_ADDR> <NAME> <MIN> <NOM> <MAX> <SI> [VALUE]",
         }) {
        const std::string row = sample + std::string(74 - std::string(sample).size(), ' ');
        EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << sample;
    }
}
