#include "orv/consiste.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using rtl::Variant;
using rtl::VariantArray;

Variant Envelope(Variant status, Variant payload) {
  return Variant(VariantArray{std::move(status), std::move(payload)});
}

TEST(CheckResultServ, SuccessReturnsThePayloadWhateverItsKind) {
  const Variant packet = Variant::FromBytes("\xa1\x01\x02");
  EXPECT_EQ(orv::CheckResultServ(Envelope(0, packet), true, 0), packet);
  EXPECT_EQ(orv::CheckResultServ(Envelope(int64_t{0}, Variant()), true, 0), Variant());
  EXPECT_EQ(orv::CheckResultServ(Envelope(0, Variant::Null()), true, 0), Variant::Null());
}

TEST(CheckResultServ, FailureRaisesTheServerText) {
  try {
    orv::CheckResultServ(Envelope(3, "Faixa alterada por outro usuário."), true, 0);
    FAIL() << "no exception";
  } catch (const orv::EServerError& e) {
    EXPECT_EQ(e.Status(), 3);
    EXPECT_EQ(e.Message(), "Faixa alterada por outro usuário.");
  }
}

TEST(CheckResultServ, FailureWithoutTextGetsAGenericMessageAndTheContext) {
  try {
    orv::CheckResultServ(Envelope(-7, Variant::Null()), true, 12);
    FAIL() << "no exception";
  } catch (const orv::EServerError& e) {
    EXPECT_EQ(e.Message(), "O servidor de aplicação recusou a operação (código -7). [12]");
  }
}

TEST(CheckResultServ, RefusesValuesThatAreNotAnEnvelope) {
  const Variant notEnvelopes[] = {
      Variant(),
      Variant::Null(),
      Variant(0),
      Variant("0"),
      Variant(VariantArray{}),
      Variant(VariantArray{0}),
      Variant(VariantArray{0, 1, 2}),
      Envelope("0", "texto"),
      Envelope(0.0, "texto"),
  };
  for (const Variant& value : notEnvelopes) {
    SCOPED_TRACE(value.Describe());
    try {
      orv::CheckResultServ(value, true, 0);
      ADD_FAILURE() << "accepted";
    } catch (const orv::EServerError& e) {
      EXPECT_EQ(e.Status(), -1);
      EXPECT_NE(e.Message().find("Resposta inválida"), std::string::npos);
    }
  }
}

TEST(CheckResultServ, WithoutRaisingAFailureGivesNull) {
  EXPECT_TRUE(orv::CheckResultServ(Envelope(1, "falhou"), false, 0).IsNull());
  EXPECT_TRUE(orv::CheckResultServ(Variant("lixo"), false, 0).IsNull());
  EXPECT_EQ(orv::CheckResultServ(Envelope(0, 5), false, 0), Variant(5));
}

TEST(RoundDec, RoundsTheDecimalValueHalvesAwayFromZero) {
  struct Case {
    double value;
    int decimals;
    double expected;
  };
  const Case cases[] = {
      {10.005, 2, 10.01},     {9.994, 2, 9.99},    {9.995, 2, 10.0},
      {-2.675, 2, -2.68},     {2.675, 2, 2.68},    {1.005, 2, 1.01},
      {0.125, 2, 0.13},       {-0.125, 2, -0.13},  {99.999, 2, 100.0},
      {0.005, 2, 0.01},       {0.004, 2, 0.0},     {-0.004, 2, 0.0},
      {0.0001, 2, 0.0},       {12.0, 2, 12.0},     {12.3, 2, 12.3},
      {2.5, 0, 3.0},          {-2.5, 0, -3.0},     {1e20, 2, 1e20},
      {123.4567, 3, 123.457}, {0.1 + 0.2, 2, 0.3}, {1.23456789e-10, 12, 1.23e-10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << " to " << c.decimals);
    EXPECT_EQ(orv::RoundDec(c.value, c.decimals), c.expected);
  }
}

TEST(RoundDec, KeepsNonFiniteValuesAndRefusesBadDecimalCounts) {
  EXPECT_TRUE(std::isnan(orv::RoundDec(std::numeric_limits<double>::quiet_NaN(), 2)));
  EXPECT_EQ(orv::RoundDec(-HUGE_VAL, 2), -HUGE_VAL);
  EXPECT_THROW(orv::RoundDec(1.5, -1), rtl::Exception);
  EXPECT_THROW(orv::RoundDec(1.5, 16), rtl::Exception);
}

TEST(Ajusta, RightAlignsDigitsZeroFilled) {
  struct Case {
    const char* text;
    int width;
    const char* expected;
  };
  const Case cases[] = {
      {"1", 10, "0000000001"},
      {"42", 10, "0000000042"},
      {"1234567890", 10, "1234567890"},
      {" 7 ", 3, "007"},
      {"0", 1, "0"},
      {"0000000009", 10, "0000000009"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(orv::Ajusta(c.text, c.width), c.expected);
  }
}

TEST(Ajusta, NeverCutsOrAcceptsWhatIsNotADigitString) {
  const char* refused[] = {"12345678901", "", "   ", "-1", "+1", "1.5", "1e3", "12a", "1 2"};
  for (const char* text : refused) {
    SCOPED_TRACE(text);
    EXPECT_THROW(orv::Ajusta(text, 10), rtl::EConvertError);
  }
  EXPECT_THROW(orv::Ajusta("1", 0), rtl::Exception);
}

}  // namespace
