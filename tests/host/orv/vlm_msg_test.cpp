#include "orv/vlm_msg.h"

#include <gtest/gtest.h>

#include "rtl/exceptions.h"

namespace {

TEST(TMessages, MsgGivesTheTextOfTheFirstLineWithExactlyThatKey) {
  orv::TMessages messages("msgPadrao");
  messages.Lines = {
      "sem barra",
      "Excl|Confirma exclusão?",
      "Inic<Fina|Valor Inicial deve ser menor que o Valor Final.",
      "Vr|curto",
      "Vr_Ini|Valor Inicial deve ser informado.",
      "Vr_Ini|segunda linha",
      "Barra|a|b",
      "Vazio|",
  };
  EXPECT_EQ(messages.Msg("Excl"), "Confirma exclusão?");
  EXPECT_EQ(messages.Msg("Inic<Fina"), "Valor Inicial deve ser menor que o Valor Final.");
  EXPECT_EQ(messages.Msg("Vr_Ini"), "Valor Inicial deve ser informado.");
  EXPECT_EQ(messages.Msg("Vr"), "curto");
  EXPECT_EQ(messages.Msg("Barra"), "a|b");
  EXPECT_EQ(messages.Msg("Vazio"), "");
  EXPECT_TRUE(messages.Contains("Vazio"));
}

TEST(TMessages, AMissingKeyRaisesNamingKeyAndList) {
  orv::TMessages messages("msgPadrao");
  messages.Lines = {"Excl|Confirma exclusão?", "sem barra"};
  for (const char* key : {"excl", "Exc", "Excl ", "sem barra", ""}) {
    SCOPED_TRACE(key);
    EXPECT_FALSE(messages.Contains(key));
    try {
      messages.Msg(key);
      ADD_FAILURE() << "no exception";
    } catch (const rtl::Exception& e) {
      EXPECT_NE(e.Message().find(std::string("\"") + key + "\""), std::string::npos);
      EXPECT_NE(e.Message().find("msgPadrao"), std::string::npos);
    }
  }
}

}  // namespace
