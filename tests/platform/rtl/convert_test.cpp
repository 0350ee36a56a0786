#include "rtl/convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "rtl/exceptions.h"

namespace {

TEST(StrToInt, AcceptsOnlyWholeSigned32BitDecimals) {
  struct Case {
    const char* text;
    std::optional<int32_t> expected;
  } cases[] = {
      {"0000000041", 41},
      {"41", 41},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"+7", 7},
      {"2147483648", std::nullopt},
      {"9999999999", std::nullopt},
      {"-2147483649", std::nullopt},
      {"12.5", std::nullopt},
      {"", std::nullopt},
      {" 7", std::nullopt},
      {"7 ", std::nullopt},
      {"1e3", std::nullopt},
      {"-", std::nullopt},
      {"+-1", std::nullopt},
      {"00000000000000000000012", 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(rtl::TryStrToInt(c.text), c.expected);
    if (c.expected) {
      EXPECT_EQ(rtl::StrToInt(c.text), *c.expected);
    } else {
      try {
        rtl::StrToInt(c.text);
        ADD_FAILURE() << "no exception";
      } catch (const rtl::EConvertError& e) {
        EXPECT_NE(std::string(e.what()).find(std::string("'") + c.text + "'"), std::string::npos);
      }
    }
  }
}

TEST(FloatToStr, GeneralFormatWithLocaleSeparator) {
  const auto br = rtl::FormatSettings::Brazilian();
  struct Case {
    double value;
    const char* expected;
  } cases[] = {
      {255.0, "255"},           {12.5, "12,5"},
      {0.1 + 0.2, "0,3"},       {-0.0, "0"},
      {16777215.0, "16777215"}, {1e20, "1E20"},
      {1e-5, "1E-5"},           {10.004, "10,004"},
      {-2.675, "-2,675"},       {123456789012345.0, "123456789012345"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(rtl::FloatToStr(c.value, br), c.expected) << c.value;
  }
  EXPECT_EQ(rtl::FloatToStr(12.5, rtl::FormatSettings::Invariant()), "12.5");
}

TEST(StrToFloat, ReadsTheLocaleSeparatorOnly) {
  const auto br = rtl::FormatSettings::Brazilian();
  EXPECT_EQ(rtl::StrToFloat("10,004", br), 10.004);
  EXPECT_EQ(rtl::StrToFloat("-3", br), -3.0);
  EXPECT_EQ(rtl::StrToFloat("1E3", br), 1000.0);
  EXPECT_FALSE(rtl::TryStrToFloat("10.5", br));
  EXPECT_FALSE(rtl::TryStrToFloat("", br));
  EXPECT_FALSE(rtl::TryStrToFloat("abc", br));
  EXPECT_FALSE(rtl::TryStrToFloat("1,5x", br));
  EXPECT_EQ(rtl::StrToFloat("10.5", rtl::FormatSettings::Invariant()), 10.5);
  EXPECT_THROW(rtl::StrToFloat("x", br), rtl::EConvertError);
}

}  // namespace
