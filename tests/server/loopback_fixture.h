#pragma once
// The real application server on an ephemeral loopback port over a throw-away SQLite file, and
// clients that talk to it through the real transport.

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "appserver/app.h"
#include "db/packet.h"
#include "net/connection.h"
#include "ped06900/rdm_rentab.h"
#include "range_fixture.h"

namespace ped06900::testing {

// The five fields of a range, as the screen's data set sends them.
inline std::vector<db::FieldDef> RangeFieldDefs() {
  return {{"NRSEQRENT", db::FieldType::String, 10, {true, true, true}},
          {"VRPERCINIRENT", db::FieldType::Float, 0, {}},
          {"VRPERCFIMRENT", db::FieldType::Float, 0, {}},
          {"VRCORRENT", db::FieldType::Float, 0, {}},
          {"IDBLOQUEIAPED", db::FieldType::String, 1, db::ProviderFlags::None()}};
}

inline db::Change ToChange(const RangeChange& change) {
  const auto kind = change.kind == RangeChange::Kind::Insert   ? db::ChangeKind::Insert
                    : change.kind == RangeChange::Kind::Modify ? db::ChangeKind::Modify
                                                               : db::ChangeKind::Delete;
  return {kind, change.oldRow, change.newRow};
}

inline rtl::Variant Delta(const std::vector<RangeChange>& changes) {
  db::DeltaPacket delta{RangeFieldDefs(), {}};
  for (const auto& change : changes) delta.changes.push_back(ToChange(change));
  return db::EncodeDeltaVariant(delta);
}

// An answer split into its status and payload.
struct Answer {
  int status = -1;
  rtl::Variant payload;
};

inline Answer Split(const rtl::Variant& answer) {
  const rtl::VariantArray& pair = answer.AsArray();
  EXPECT_EQ(pair.size(), 2u);
  return {pair.at(0).AsInt32(), pair.at(1)};
}

class ServerFixture : public ::testing::Test {
 protected:
  void SetUp() override { StartServer(); }
  void TearDown() override {
    if (server_) server_->Stop();
  }

  void StartServer() {
    appserver::ServerOptions options;
    options.port = 0;
    options.databasePath = db_.Path();
    options.defaultDatabase = false;
    server_ = appserver::MakeServer(options, [this](const std::string& line) {
      const std::lock_guard lock(logMutex_);
      log_.push_back(line);
    });
    server_->Start();
    port_ = server_->Port();
  }

  void RestartServer() {
    server_->Stop();
    server_.reset();
    StartServer();
  }

  std::unique_ptr<net::TNetConnection> Connect() {
    auto connection = std::make_unique<net::TNetConnection>();
    connection->SetServerName(kServerObjectName);
    connection->SetCallTimeout(std::chrono::seconds(30));
    // The port is read at each (re)opening, so a client follows a restarted server.
    connection->SetBeforeConnect([this](net::TNetConnection& c) { c.SetPort(port_); });
    connection->Open();
    return connection;
  }

  std::vector<std::string> Log() {
    const std::lock_guard lock(logMutex_);
    return log_;
  }

  TempDatabase db_;
  std::unique_ptr<net::ObjectServer> server_;
  int port_ = 0;
  std::mutex logMutex_;
  std::vector<std::string> log_;
};

}  // namespace ped06900::testing
