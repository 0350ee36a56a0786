// The real appserver killed with SIGKILL in the middle of a stream of writes, then started again
// on the same file: every acknowledged change is there and no change is there in part.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <atomic>
#include <map>
#include <thread>

#include "child_process.h"
#include "loopback_fixture.h"
#include "net/errors.h"

namespace ped06900 {
namespace {

using namespace ped06900::testing;

std::string KeyOf(int n) {
  char key[16];
  std::snprintf(key, sizeof key, "%010d", n);
  return key;
}

// Change number i inserts two ranges in one delta, so a torn write would show as one without
// the other.
std::vector<RangeChange> ChangeNumber(int i) {
  return {Insert(Row(KeyOf(2 * i - 1), i * 10.0 + 0.1, i * 10.0 + 1.7, i * 1.0, "S")),
          Insert(Row(KeyOf(2 * i), i * 10.0 + 2.3, i * 10.0 + 3.9, i * 2.0, "N"))};
}

class AppServerCrashTest : public ::testing::Test {
 protected:
  std::unique_ptr<ChildProcess> StartServer() {
    auto child = std::make_unique<ChildProcess>(
        APPSERVER_PATH,
        std::vector<std::string>{"--listen", "127.0.0.1:0", "--database", "sqlite:" + database_},
        dir_.filePath("appserver.log").toStdString());
    const std::string line = child->ReadLine();
    const size_t colon = line.rfind(':', line.find(", banco"));
    EXPECT_NE(colon, std::string::npos) << "no start line: " << line;
    port_ = std::atoi(line.c_str() + colon + 1);
    return child;
  }

  std::unique_ptr<net::TNetConnection> Connect() {
    auto connection = std::make_unique<net::TNetConnection>();
    connection->SetServerName(kServerObjectName);
    connection->SetPort(port_);
    connection->SetCallTimeout(std::chrono::seconds(20));
    connection->Open();
    return connection;
  }

  QTemporaryDir dir_;
  std::string database_ = dir_.filePath("rentab.db").toStdString();
  int port_ = 0;
};

TEST_F(AppServerCrashTest, AcknowledgedChangesSurviveAKillAndNoneIsHalfApplied) {
  int next = 1;  // the number of the next change to send, across the cycles
  std::map<int, bool> acknowledged;
  for (int cycle = 0; cycle < 3; ++cycle) {
    auto server = StartServer();
    auto client = Connect();
    std::atomic<int> acks{0};
    std::thread writer([&] {
      try {
        for (;; ++next) {
          const Answer answer =
              Split(client->AppServer().Call("SetRentab", {Delta(ChangeNumber(next))}));
          ASSERT_EQ(answer.status, 0) << answer.payload.Describe();
          acknowledged[next] = true;
          ++acks;
        }
      } catch (const net::ENetError&) {
        ++next;  // the change in flight may or may not have been stored
      }
    });
    // Kill at a different point of the stream in each cycle.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (acks < 10 + 7 * cycle && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    server->Kill();
    writer.join();
    EXPECT_GE(acks, 10 + 7 * cycle);
  }

  auto server = StartServer();
  auto client = Connect();
  const db::DataPacket all =
      db::DecodePacketVariant(Split(client->AppServer().Call("GetRentab")).payload);
  std::map<std::string, db::Row> stored;
  for (const auto& row : all.rows) stored[row[0].AsString()] = row;
  for (int i = 1; i < next; ++i) {
    const auto changes = ChangeNumber(i);
    const size_t present = stored.count(KeyOf(2 * i - 1)) + stored.count(KeyOf(2 * i));
    if (acknowledged.count(i)) {
      EXPECT_EQ(present, 2u) << "acknowledged change " << i << " lost";
    } else {
      EXPECT_NE(present, 1u) << "change " << i << " stored in part";
    }
    for (const auto& change : changes) {
      const auto found = stored.find(change.newRow[0].AsString());
      if (found == stored.end()) continue;
      EXPECT_EQ(found->second, change.newRow);
      // The lookup index was written in the same transaction as the row.
      const db::DataPacket keys = db::DecodePacketVariant(
          Split(client->AppServer().Call("GetIntervalo", {change.newRow[1]})).payload);
      EXPECT_THAT(keys.rows, ::testing::ElementsAre(db::Row{change.newRow[0]}));
    }
  }
  EXPECT_GE(acknowledged.size(), 10u + 17u + 24u);
}

}  // namespace
}  // namespace ped06900
