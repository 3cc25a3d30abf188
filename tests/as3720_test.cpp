#include <gtest/gtest.h>

#include <string>

#include "as3720.h"
#include "e2e.h"

namespace {

// Runs a list function and returns what it printed; *pVol starts at 7 to show whether
// it was written.
template <typename Decode>
std::string Decoded(Decode decode, DWORD* pVol)
{
    *pVol = 7;
    testing::internal::CaptureStdout();
    decode(pVol);
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(As3720Encoding, ListFunctionsDecodeStepsAndRefuseBeyondRange)
{
    DWORD uv = 0;
    EXPECT_EQ(as3720_Ldo0ListVoltage(0, &uv), 0);
    EXPECT_EQ(uv, 825000u);
    EXPECT_EQ(as3720_Ldo0ListVoltage(17, &uv), 0);
    EXPECT_EQ(uv, 1250000u);
    EXPECT_EQ(Decoded([](DWORD* p) { EXPECT_EQ(as3720_Ldo0ListVoltage(18, p), 1); }, &uv),
              "Selector 0x12 overflow\n");
    EXPECT_EQ(uv, 7u);

    EXPECT_EQ(as3720_Ldo3ListVoltage(0, &uv), 0);
    EXPECT_EQ(uv, 610000u);
    EXPECT_EQ(as3720_Ldo3ListVoltage(89, &uv), 0);
    EXPECT_EQ(uv, 1500000u);
    EXPECT_EQ(Decoded([](DWORD* p) { EXPECT_EQ(as3720_Ldo3ListVoltage(119, p), 1); }, &uv),
              "Selector 0x77 overflow\n");

    EXPECT_EQ(as3720_LdoListVoltage(0, &uv), 0);
    EXPECT_EQ(uv, 825000u);
    EXPECT_EQ(as3720_LdoListVoltage(35, &uv), 0);
    EXPECT_EQ(uv, 1700000u);
    EXPECT_EQ(as3720_LdoListVoltage(99, &uv), 0);
    EXPECT_EQ(uv, 3300000u);
    EXPECT_EQ(Decoded([](DWORD* p) { EXPECT_EQ(as3720_LdoListVoltage(100, p), 1); }, &uv),
              "Selector 0x64 overflow\n");

    for (DWORD id : {12u, 13u, 18u}) {
        EXPECT_EQ(as3720_SdListVolt(id, 0, &uv), 0);
        EXPECT_EQ(uv, 610000u);
        EXPECT_EQ(as3720_SdListVolt(id, 89, &uv), 0);
        EXPECT_EQ(uv, 1500000u);
        EXPECT_EQ(Decoded([id](DWORD* p) { EXPECT_EQ(as3720_SdListVolt(id, 90, p), 1); }, &uv),
                  "Selector 0x5a overflow\n");
    }
}

TEST(As3720Encoding, NominalConverterDecodesThreeSegments)
{
    const struct {
        DWORD selector;
        DWORD microvolts;
    } steps[] = {{0, 612500},    {63, 1400000},  {64, 1425000}, {111, 2600000},
                 {112, 2650000}, {126, 3350000}};
    for (DWORD id = 14; id <= 17; ++id)
        for (const auto& step : steps) {
            DWORD uv = 0;
            EXPECT_EQ(as3720_SdListVolt(id, step.selector, &uv), 0);
            EXPECT_EQ(uv, step.microvolts) << "id " << id << " selector " << step.selector;
        }
    DWORD uv = 0;
    // The refusal names the step number, one above the selector.
    EXPECT_EQ(Decoded([](DWORD* p) { EXPECT_EQ(as3720_SdListVolt(15, 127, p), 1); }, &uv),
              "Selector 0x80 overflow\n");
}

TEST(As3720Encoding, CodesGoUpToTheNextStep)
{
    EXPECT_EQ(as3720_Ldo0Code(825000), 1u);
    EXPECT_EQ(as3720_Ldo0Code(1000000), 8u);
    EXPECT_EQ(as3720_Ldo0Code(1000001), 9u);
    EXPECT_EQ(as3720_Ldo0Code(1250000), 18u);

    EXPECT_EQ(as3720_Ldo3Code(610000), 1u);
    EXPECT_EQ(as3720_Ldo3Code(610001), 2u);
    EXPECT_EQ(as3720_Ldo3Code(1800000), 120u);

    EXPECT_EQ(as3720_LdoCode(825000), 1u);
    EXPECT_EQ(as3720_LdoCode(1700000), 36u);
    EXPECT_EQ(as3720_LdoCode(1700001), 64u);
    EXPECT_EQ(as3720_LdoCode(1800000), 67u);
    EXPECT_EQ(as3720_LdoCode(3300000), 127u);

    EXPECT_EQ(as3720_SdLowPowerCode(1000000), 40u);
    EXPECT_EQ(as3720_SdLowPowerCode(1000001), 41u);
    EXPECT_EQ(as3720_SdLowPowerCode(1500000), 90u);

    EXPECT_EQ(as3720_SdNomCode(1000000), 32u);
    EXPECT_EQ(as3720_SdNomCode(1000001), 33u);
    EXPECT_EQ(as3720_SdNomCode(1400000), 64u);
    EXPECT_EQ(as3720_SdNomCode(1400001), 65u);
    EXPECT_EQ(as3720_SdNomCode(2600000), 112u);
    EXPECT_EQ(as3720_SdNomCode(2600001), 113u);
    EXPECT_EQ(as3720_SdNomCode(3350000), 127u);
}

TEST(As3720Encoding, RequestsAtOrBelowTheBaseTakeTheLowestStep)
{
    for (DWORD volt : {50000u, 599999u, 600000u}) {
        EXPECT_EQ(as3720_Ldo3Code(volt), 1u);
        EXPECT_EQ(as3720_SdLowPowerCode(volt), 1u);
        EXPECT_EQ(as3720_SdNomCode(volt), 1u);
    }
    for (DWORD volt : {50000u, 799999u, 800000u}) {
        EXPECT_EQ(as3720_Ldo0Code(volt), 1u);
        EXPECT_EQ(as3720_LdoCode(volt), 1u);
    }
}

TEST(As3720Encoding, EveryReadableCodeEncodesBackToItself)
{
    for (DWORD code = 1; code <= 127; ++code) {
        DWORD uv = 0;
        ASSERT_EQ(as3720_SdListVolt(14, code - 1, &uv), 0);
        EXPECT_EQ(as3720_SdNomCode(uv), code);
        if (code <= 90) {
            ASSERT_EQ(as3720_SdListVolt(12, code - 1, &uv), 0);
            EXPECT_EQ(as3720_SdLowPowerCode(uv), code);
            ASSERT_EQ(as3720_Ldo3ListVoltage(code - 1, &uv), 0);
            EXPECT_EQ(as3720_Ldo3Code(uv), code);
        }
        if (code <= 18) {
            ASSERT_EQ(as3720_Ldo0ListVoltage(code - 1, &uv), 0);
            EXPECT_EQ(as3720_Ldo0Code(uv), code);
        }
        if (code <= 36 || code >= 64) {
            ASSERT_EQ(as3720_LdoListVoltage(code >= 64 ? code - 28 : code - 1, &uv), 0);
            EXPECT_EQ(as3720_LdoCode(uv), code);
        }
    }
}

TEST(As3720Encoding, SetFunctionsRefuseAboveTheirRangeWithoutTraffic)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(as3720_SdLowPowerSetVoltage(0x00, 1500001), 1);
    EXPECT_EQ(as3720_SdNomSetVoltage(0x02, 3350001), 1);
    EXPECT_EQ(as3720_LdoSetVoltage(0x11, 3300001), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Voltage 1500001 overflow\nVoltage 3350001 overflow\nVoltage 3300001 overflow\n");
}
