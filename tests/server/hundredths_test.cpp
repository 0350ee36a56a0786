#include "ped06900/hundredths.h"

#include <gtest/gtest.h>

namespace ped06900 {
namespace {

TEST(HundredthsTest, RoundsTheDecimalValueHalfAwayFromZero) {
  const struct {
    double value;
    const char* expected;
  } cases[] = {
      {10.005, "10.01"},  // the double is 10.00499999..., its decimal reading is 10.005
      {-10.005, "-10.01"},
      {10.004, "10.00"},
      {9.994, "9.99"},
      {0.005, "0.01"},
      {0.0049, "0.00"},
      {0.0005, "0.00"},
      {-0.004, "0.00"},  // rounds to zero, which has no sign
      {-0.0, "0.00"},
      {1.005, "1.01"},
      {99.995, "100.00"},
      {123456789.125, "123456789.13"},
      {1e20, "100000000000000000000.00"},
      {5e-324, "0.00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Hundredths::Round(c.value).ToString(), c.expected) << c.value;
  }
}

TEST(HundredthsTest, OrdersLikeTheRoundedNumbers) {
  EXPECT_LT(Hundredths::Round(9.994), Hundredths::Round(10.004));
  EXPECT_EQ(Hundredths::Round(10.001), Hundredths::Round(10.004));
  EXPECT_LT(Hundredths::Round(-10.02), Hundredths::Round(-10.01));
  EXPECT_LT(Hundredths::Round(-0.5), Hundredths::Round(0.0));
  EXPECT_LT(Hundredths::Round(99.99), Hundredths::Round(100.0));
  EXPECT_GT(Hundredths::Round(-99.99), Hundredths::Round(-100.0));
  // Two values a double cannot tell apart after scaling by 100 still differ.
  EXPECT_LT(Hundredths::Round(1e17), Hundredths::Round(1e17 + 16));
}

}  // namespace
}  // namespace ped06900
