#include "client/module_list.h"

#include <gtest/gtest.h>

namespace {

TEST(ModuleList, ParsesEntriesSkippingCommentsAndResolvingRelativePaths) {
  const auto entries = client::ParseModuleList(
      "# módulos do cliente\n"
      "\n"
      "  PED06900 | Rentabilidade | libPKG_PED06900.so \r\n"
      "PED07000|Outra tela|/opt/mod/libPKG_PED07000.so\n",
      "/opt/host", "modules.conf");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0],
            (client::ModuleEntry{"PED06900", "Rentabilidade", "/opt/host/libPKG_PED06900.so"}));
  EXPECT_EQ(entries[1].library, "/opt/mod/libPKG_PED07000.so");
}

TEST(ModuleList, MalformedLinesAndRepeatedCodesNameTheLine) {
  const char* bad[] = {
      "PED06900|Rentabilidade\n",
      "PED06900|Rentabilidade|lib.so|extra\n",
      "|Rentabilidade|lib.so\n",
      "PED06900||lib.so\n",
      "PED06900|A|a.so\n# ok\nPED06900|B|b.so\n",
  };
  for (const char* text : bad) {
    SCOPED_TRACE(text);
    try {
      client::ParseModuleList(text, "/opt", "modules.conf");
      ADD_FAILURE() << "accepted";
    } catch (const client::ModuleListError& e) {
      EXPECT_NE(e.Message().find("modules.conf, linha "), std::string::npos) << e.Message();
    }
  }
}

TEST(ModuleList, AMissingFileIsAnEmptyList) {
  EXPECT_TRUE(client::ReadModuleList("/nonexistent/modules.conf").empty());
}

}  // namespace
