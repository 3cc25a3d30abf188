// The help text: the banner, one 76-column box per command family in table order, and a
// characteristic row.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "e2e.h"

TEST(Help, BannerBoxesAndSampleRow)
{
    const std::string banner = "\nRigo : Quorvan Android I/O Utility (v2.6.0, 03/12/2013)\n\n";
    const std::string text = HelpText();
    ASSERT_TRUE(text.starts_with(banner));
    const std::string row = "        Bypass for LDO7/LDO8 (allows -5% skew).";  // '%' printed as is
    EXPECT_NE(text.find("|" + row + std::string(74 - row.size(), ' ') + "|\n"), std::string::npos);

    // Title, border (thin for the first three boxes), rows, thick border, empty line.
    const std::string thin = "+" + std::string(74, '-') + "+", thick = "+" + std::string(74, '=') + "+";
    std::istringstream in(text.substr(banner.size()));
    std::vector<std::string> titles;
    for (std::string title, line; std::getline(in, title);) {
        titles.push_back(title);
        ASSERT_TRUE(std::getline(in, line));
        EXPECT_EQ(line, titles.size() <= 3 ? thin : thick) << title;
        while (std::getline(in, line) && line.starts_with("|"))
            EXPECT_TRUE(line.size() == 76 && line.ends_with("|")) << line;
        EXPECT_EQ(line, thick) << title;
        EXPECT_TRUE(std::getline(in, line) && line.empty()) << title;
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
}
