#include "orv/valmora.h"

#include <gtest/gtest.h>

#include "rtl/exceptions.h"

namespace {

TEST(WebServer, SetAddressIsReadBackAndBadOnesChangeNothing) {
  orv::SetWebServer("servidor.local", 4000);
  EXPECT_EQ(orv::WebURL(), "servidor.local");
  EXPECT_EQ(orv::WebPort(), 4000);
  EXPECT_THROW(orv::SetWebServer("", 4000), rtl::Exception);
  EXPECT_THROW(orv::SetWebServer("outro", 0), rtl::Exception);
  EXPECT_THROW(orv::SetWebServer("outro", 65536), rtl::Exception);
  EXPECT_EQ(orv::WebURL(), "servidor.local");
  EXPECT_EQ(orv::WebPort(), 4000);
}

TEST(LocalCache, RequestsAreRecordedAndToldToListenersInOrder) {
  orv::ClearLocalCacheRequests();
  std::vector<std::string> heard;
  const int first = orv::AddLocalCacheListener(
      [&](const std::vector<std::string>& tables) { heard.push_back("1:" + tables.at(0)); });
  const int second = orv::AddLocalCacheListener(
      [&](const std::vector<std::string>& tables) { heard.push_back("2:" + tables.at(0)); });

  orv::AtualizaLocalCache({"RENTABILIDADE"});
  orv::RemoveLocalCacheListener(first);
  orv::AtualizaLocalCache({"CLIENTE", "PEDIDO"});
  orv::RemoveLocalCacheListener(second);

  EXPECT_EQ(heard, (std::vector<std::string>{"1:RENTABILIDADE", "2:RENTABILIDADE", "2:CLIENTE"}));
  ASSERT_EQ(orv::LocalCacheRequests().size(), 2u);
  EXPECT_EQ(orv::LocalCacheRequests()[1], (std::vector<std::string>{"CLIENTE", "PEDIDO"}));
}

TEST(LocalCache, AListenerFailureReachesTheCallerAfterTheRequestIsRecorded) {
  orv::ClearLocalCacheRequests();
  const int id = orv::AddLocalCacheListener(
      [](const std::vector<std::string>&) { throw rtl::Exception("cache indisponível"); });
  EXPECT_THROW(orv::AtualizaLocalCache({"RENTABILIDADE"}), rtl::Exception);
  orv::RemoveLocalCacheListener(id);
  EXPECT_EQ(orv::LocalCacheRequests().size(), 1u);
}

}  // namespace
