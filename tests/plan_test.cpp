// Reading check plans: what a line means, and the line and reason of a plan that cannot be read.
#include <gtest/gtest.h>

#include "cli/plan.h"

TEST(CheckPlanText, LinesReadWithTheirUnitsAndStableNames)
{
    ParsedPlan plan = ParsePlan("# golden\n\nrail tps65911 4 0x2d vdd1 ON 1.2V +-25mV\r\n"
                                "CLOCK pllx 1000MHz +-1%  # the CPU\nmem 0x70000804 15:8 0x30..0x37\n"
                                "i2c 4 0x56 0x08 3:0 1..3\niddq LP below 400mA");
    ASSERT_EQ(plan.error, "");
    ASSERT_EQ(plan.expectations.size(), 5u);
    const Expectation& rail = plan.expectations[0];
    EXPECT_EQ(rail.line, 3);
    EXPECT_EQ(rail.name, "rail.tps65911.4.0x2D.VDD1");
    const RailCheck& railCheck = std::get<RailCheck>(rail.check);
    EXPECT_TRUE(railCheck.busGiven && railCheck.on);
    EXPECT_EQ(railCheck.device.address, 0x2Du);
    EXPECT_EQ(ShowLimits(railCheck.millivolts), "1.175 V to 1.225 V");
    EXPECT_EQ(plan.expectations[1].name, "clock.PLLX");
    EXPECT_EQ(ShowLimits(std::get<ClockCheck>(plan.expectations[1].check).hertz), "990 MHz to 1010 MHz");
    const FieldLimits& chipId = std::get<MemoryCheck>(plan.expectations[2].check).field;
    EXPECT_EQ(plan.expectations[2].name, "mem.0x70000804.15:8");
    EXPECT_TRUE(chipId.Holds(0xFFFF37FF));
    EXPECT_FALSE(chipId.Holds(0x00003800));
    EXPECT_EQ(plan.expectations[3].name, "i2c.4.0x56.0x08.3:0");
    EXPECT_FALSE(std::get<I2cCheck>(plan.expectations[3].check).field.Holds(0x14));
    EXPECT_EQ(std::get<IddqCheck>(plan.expectations[4].check).milliamps, 400);
}

TEST(CheckPlanText, AMalformedLineIsReportedWithItsReason)
{
    const struct {
        const char* line;
        const char* reason;
    } cases[] = {
        {"rail tps65911 VDD1 on 1200 +-2%", "'1200' is not a voltage in mV or V"},
        {"rail tps65911 VDD1 on 1200mV 2%", "tolerance '2%' is not +- a voltage in mV or V or in %"},
        {"rail tps65911 VDD1 on 1200mV +-1.2.3%", "tolerance '+-1.2.3%' is not +- a voltage in mV or V or in %"},
        {"rail tps65911 4 VDD1 on 1200mV +-2%",
         "expected rail REGULATOR [NODE ADDRESS] NAME on|off VOLTAGE +-TOLERANCE"},
        {"rail tps65911 VDD9 on 1200mV +-2%", "TPS65911 has no rail 'VDD9'"},
        {"rail tps65911 4 0 VDD1 on 1200mV +-2%", "device address 0 is the general call, not a device"},
        {"rail -tps65911 VDD1 on 1200mV +-2%", "unknown regulator '-tps65911'"},
        {"rail tps65911 VDD1 high 1200mV +-2%", "state 'high' is not on or off"},
        {"clock PLLX 1000mV +-1%", "'1000mV' is not a frequency in Hz, kHz or MHz"},
        {"clock PLLQ 1000MHz +-1%", "unknown clock 'PLLQ'"},
        {"iddq G 800mA", "expected iddq G|LP below LIMIT"},
        {"iddq G below 800", "'800' is not a current in mA"},
        {"mem 0x7000080G 15:8 0x30", "address '0x7000080G' is not a number from 0 to 0xFFFFFFFF"},
        {"mem 0x70000804 15:8 0x130", "value of bits 15:8 '0x130' is not a number from 0 to 255"},
        {"mem 0x70000804 8:15 1", "bit '15' is not a number from 0 to 8"},
        {"mem 0x70000804 15-8 1", "bits '15-8' are not MSB:LSB"},
        {"mem 0x70000804 7:0 5..3", "range '5..3' runs downwards"},
        {"i2c 4 0x2D 0x10 8:0 1", "bit '8' is not a number from 0 to 7"},
        {"i2c 256 0x2D 0x10 7:0 1", "bus '256' is not a number from 0 to 255"},
        {"chip Blek A01", "unknown chip model 'Blek'"},
        {"chip Belk 0xA01", "revision '0xA01' is not as -chip shows it (A01, B02 ...)"},
        {"chip Belk A01", "chip is already checked on line 2"},
        {"measure everything", "unknown expectation 'measure'"},
    };
    for (const auto& c : cases) {
        ParsedPlan plan = ParsePlan(std::string("# first\nchip belk a01\n\n") + c.line + "\nchip Dern A01\n");
        EXPECT_EQ(plan.errorLine, 4) << c.line;
        EXPECT_EQ(plan.error, c.reason) << c.line;
        EXPECT_TRUE(plan.expectations.empty()) << c.line;
    }
    ParsedPlan empty = ParsePlan("# nothing to check\n\n");
    EXPECT_EQ(empty.errorLine, 0);
    EXPECT_EQ(empty.error, "no expectation in the plan");
}
