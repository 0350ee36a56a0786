#pragma once
// A real application server for the screen benchmarks: listening on an ephemeral loopback port
// over a throw-away SQLite file in `folder`, filled from `csv` (the import format), with the
// host's server address pointed at it. The caller removes the folder when done.

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "appserver/app.h"
#include "orv/netconnection.h"
#include "orv/valmora.h"
#include "ped06900/range_csv.h"
#include "ped06900/sqlite_range_store.h"

inline std::unique_ptr<net::ObjectServer> StartSeededServer(const std::filesystem::path& folder,
                                                            const std::string& csv) {
  std::filesystem::create_directories(folder);
  const std::string database = (folder / "rentab.db").string();
  {
    ped06900::SqliteRangeStore store(database);
    std::istringstream in(csv);
    ped06900::ImportRangesCsv(store, in);
  }
  appserver::ServerOptions options;
  options.port = 0;
  options.databasePath = database;
  options.defaultDatabase = false;
  auto server = appserver::MakeServer(options, [](const std::string&) {});
  server->Start();
  orv::SetWebServer("127.0.0.1", server->Port());
  return server;
}

// Opens `connection` to the range table's server object on this machine's `port`, as the screen
// would, for calls made bare.
inline void ConnectBare(orv::TNetConnection& connection, int port) {
  connection.SetServerName("ped06900.rdmRentab");
  connection.SetHost("127.0.0.1");
  connection.SetPort(port);
  connection.Open();
}
