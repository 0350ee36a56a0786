#include "client/server_config.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

namespace {

using client::ServerAddress;

class ServerConfig : public testing::Test {
 protected:
  std::string WriteConfig(const std::string& text) {
    const std::string path = dir_.filePath("host.conf").toStdString();
    std::ofstream(path) << text;
    return path;
  }
  QTemporaryDir dir_;
};

TEST_F(ServerConfig, FirstSourceThatNamesAServerWins) {
  const std::string file = WriteConfig("[server]\nhost=arquivo.local\nport=3000\n");
  struct Case {
    const char* name;
    client::ServerSources sources;
    ServerAddress expected;
  };
  const Case cases[] = {
      {"command line", {"linha:1000", "ambiente:2000", file}, {"linha", 1000}},
      {"environment", {std::nullopt, "ambiente:2000", file}, {"ambiente", 2000}},
      {"file", {std::nullopt, std::nullopt, file}, {"arquivo.local", 3000}},
      {"default",
       {std::nullopt, std::nullopt, dir_.filePath("nada.conf").toStdString()},
       {"127.0.0.1", 2110}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(client::ResolveServerAddress(c.sources), c.expected);
  }
}

TEST_F(ServerConfig, FileWithoutPortUsesTheDefaultPortAndEmptyFileNamesNoServer) {
  EXPECT_EQ(client::ResolveServerAddress(
                {std::nullopt, std::nullopt, WriteConfig("[server]\nhost=10.0.0.5\n")}),
            (ServerAddress{"10.0.0.5", 2110}));
  EXPECT_EQ(client::ResolveServerAddress({std::nullopt, std::nullopt, WriteConfig("[outro]\n")}),
            (ServerAddress{"127.0.0.1", 2110}));
}

TEST_F(ServerConfig, ABadSourceIsReportedInsteadOfFallingThrough) {
  const client::ServerSources bad[] = {
      {"semporta", std::nullopt, ""},
      {"host:0", std::nullopt, ""},
      {"host:65536", std::nullopt, ""},
      {"host:12a", std::nullopt, ""},
      {":2110", std::nullopt, ""},
      {std::nullopt, "host:", ""},
      {std::nullopt, std::nullopt, WriteConfig("[server]\nhost=h\nport=porta\n")},
      {std::nullopt, std::nullopt, WriteConfig("[server]\nport=2110\n")},
  };
  for (const auto& sources : bad) {
    SCOPED_TRACE(sources.commandLine.value_or(sources.environment.value_or("file")));
    EXPECT_THROW(client::ResolveServerAddress(sources), client::ConfigError);
  }
}

TEST(ParseServerAddress, AcceptsNamesAddressesAndBracketedIPv6) {
  EXPECT_EQ(client::ParseServerAddress("servidor:2110", "x"), (ServerAddress{"servidor", 2110}));
  EXPECT_EQ(client::ParseServerAddress("[::1]:4000", "x"), (ServerAddress{"::1", 4000}));
  try {
    client::ParseServerAddress("servidor", "--server");
    FAIL() << "no exception";
  } catch (const client::ConfigError& e) {
    EXPECT_NE(e.Message().find("--server"), std::string::npos);
  }
}

}  // namespace
