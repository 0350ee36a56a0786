#include "rtl/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "rtl/exceptions.h"

namespace {

using rtl::Variant;
using rtl::VarType;

TEST(Variant, HoldsEachKind) {
  EXPECT_EQ(Variant().Type(), VarType::Empty);
  EXPECT_EQ(Variant::Null().Type(), VarType::Null);
  EXPECT_EQ(Variant(true).Type(), VarType::Boolean);
  EXPECT_EQ(Variant(int32_t{1}).Type(), VarType::Int32);
  EXPECT_EQ(Variant(int64_t{1}).Type(), VarType::Int64);
  EXPECT_EQ(Variant(1.5).Type(), VarType::Double);
  EXPECT_EQ(Variant("exclusão").Type(), VarType::String);
  EXPECT_EQ(Variant::FromBytes("\x01\x02").Type(), VarType::Bytes);
  EXPECT_EQ(Variant(rtl::VariantArray{1, "a"}).Type(), VarType::Array);
  EXPECT_TRUE(Variant().IsMissing());
  EXPECT_TRUE(Variant::Null().IsMissing());
  EXPECT_FALSE(Variant(0).IsMissing());
}

TEST(Variant, EqualityIsByTypeAndBits) {
  EXPECT_EQ(Variant(1.0), Variant(1.0));
  EXPECT_NE(Variant(1.0), Variant(int32_t{1}));
  EXPECT_NE(Variant(0.0), Variant(-0.0));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Variant(nan), Variant(nan));
  EXPECT_NE(Variant("1"), Variant::FromBytes("1"));
  EXPECT_EQ(Variant(rtl::VariantArray{1, Variant::Null()}),
            Variant(rtl::VariantArray{1, Variant::Null()}));
  EXPECT_NE(Variant(rtl::VariantArray{1}), Variant(rtl::VariantArray{2}));
  EXPECT_NE(Variant(), Variant::Null());
}

TEST(Variant, ConvertsOnlyWithoutLoss) {
  EXPECT_EQ(Variant(3.0).AsInt32(), 3);
  EXPECT_EQ(Variant("0000000041").AsInt32(), 41);
  EXPECT_EQ(Variant(int32_t{7}).AsDouble(), 7.0);
  EXPECT_EQ(Variant("10.25").AsDouble(), 10.25);
  EXPECT_EQ(Variant(12.5).AsString(), "12.5");
  EXPECT_EQ(Variant(int64_t{1} << 40).AsInt64(), int64_t{1} << 40);

  const Variant impossible[] = {Variant(3.5), Variant(int64_t{1} << 40), Variant("abc"),
                                Variant(),    Variant::Null(),           Variant(1e300)};
  for (const auto& v : impossible) {
    EXPECT_THROW(v.AsInt32(), rtl::EConvertError) << v.Describe();
  }
  EXPECT_THROW(Variant().AsDouble(), rtl::EConvertError);
  EXPECT_THROW(Variant::Null().AsString(), rtl::EConvertError);
  EXPECT_THROW(Variant("x").AsBytes(), rtl::EConvertError);
  EXPECT_THROW(Variant(1).AsArray(), rtl::EConvertError);
  EXPECT_THROW(Variant(true).AsInt32(), rtl::EConvertError);
}

TEST(Exceptions, AbortIsAnException) {
  try {
    throw rtl::EAbort();
  } catch (const rtl::Exception& e) {
    EXPECT_FALSE(e.Message().empty());
  }
}

}  // namespace
