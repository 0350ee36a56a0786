#include "appserver/app.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>

#include "database_lock.h"
#include "ped06900/indexed_range_store.h"
#include "ped06900/range_csv.h"
#include "ped06900/rdm_rentab.h"
#include "ped06900/sqlite_range_store.h"

namespace appserver {
namespace {

// Writes each line to stderr with the time in UTC, one whole line at a time.
void LogLine(const std::string& line) {
  static std::mutex mutex;
  char stamp[32];
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
  const std::lock_guard lock(mutex);
  std::fprintf(stderr, "%s %s\n", stamp, line.c_str());
  std::fflush(stderr);
}

// The default database lives in a folder of its own, made on first use.
void PrepareDatabaseFolder(const ServerOptions& options) {
  if (!options.defaultDatabase) return;
  const std::filesystem::path folder = std::filesystem::path(options.databasePath).parent_path();
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    throw rtl::Exception("Não foi possível criar a pasta de dados \"" + folder.string() +
                         "\": " + error.message());
  }
}

// Writes beside the target and renames it into place, so that a failed export never leaves a
// half-written file where a good one was.
int Export(ped06900::RangeStore& store, const std::string& file) {
  const std::string partial = file + ".parcial";
  size_t count = 0;
  try {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!out) throw rtl::Exception("Não foi possível criar o arquivo \"" + partial + "\".");
    count = ped06900::ExportRangesCsv(store, out);
    out.close();
    if (!out) throw rtl::Exception("Não foi possível gravar o arquivo \"" + partial + "\".");
    std::error_code error;
    std::filesystem::rename(partial, file, error);
    if (error) throw rtl::Exception("Não foi possível gravar o arquivo \"" + file + "\".");
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove(partial, ignored);
    throw;
  }
  std::printf("%zu faixa(s) exportada(s) para %s\n", count, file.c_str());
  return 0;
}

int Import(ped06900::RangeStore& store, const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw rtl::Exception("Não foi possível abrir o arquivo \"" + file + "\".");
  const size_t count = ped06900::ImportRangesCsv(store, in);
  std::printf("%zu faixa(s) importada(s) de %s\n", count, file.c_str());
  return 0;
}

}  // namespace

std::unique_ptr<net::ObjectServer> MakeServer(const ServerOptions& options,
                                              net::ServerLogger logger) {
  auto lock = std::make_shared<DatabaseLock>(options.databasePath, "iniciar o servidor");
  // Opening once here creates the schema and reports a bad file before any client connects.
  ped06900::SqliteRangeStore store(options.databasePath);
  auto shared = std::make_shared<ped06900::SharedRanges>(store);
  net::ObjectServerOptions serverOptions;
  serverOptions.address = options.address;
  serverOptions.port = options.port;
  serverOptions.workers = options.workers;
  serverOptions.maxFrame = options.maxFrame;
  serverOptions.accessToken = options.token;
  serverOptions.logger = logger;
  auto server = std::make_unique<net::ObjectServer>(serverOptions);
  // The factory, kept by the server until it is destroyed, holds the lock that long too.
  server->Register(ped06900::kServerObjectName,
                   [path = options.databasePath, logger, shared, lock] {
                     return std::make_unique<ped06900::rdmRentab>(
                         std::make_unique<ped06900::IndexedRangeStore>(
                             std::make_unique<ped06900::SqliteRangeStore>(path), shared),
                         logger);
                   });
  return server;
}

int Run(const std::vector<std::string>& args) {
  ServerOptions options;
  try {
    options = ParseOptions(args);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "appserver: %s\nUse \"appserver --help\" para ver as opções.\n", e.what());
    return 2;
  }
  if (options.help) {
    std::fputs(HelpText().c_str(), stdout);
    return 0;
  }
  try {
    PrepareDatabaseFolder(options);
    if (options.importFile) {
      const DatabaseLock lock(options.databasePath, "importar");
      ped06900::SqliteRangeStore store(options.databasePath);
      return Import(store, *options.importFile);
    }
    if (options.exportFile) {
      // A read of one consistent state: allowed while a server runs.
      ped06900::SqliteRangeStore store(options.databasePath);
      return Export(store, *options.exportFile);
    }
    const auto server = MakeServer(options, LogLine);
    server->Start();
    net::StopOnSignals(*server);
    // The one line on stdout, so that whoever started the server learns the port it took.
    std::printf("appserver: %s em %s:%u, banco %s\n", ped06900::kServerObjectName,
                options.address.c_str(), static_cast<unsigned>(server->Port()),
                options.databasePath.c_str());
    std::fflush(stdout);
    server->Wait();
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "appserver: %s\n", e.what());
    return 1;
  }
}

}  // namespace appserver
