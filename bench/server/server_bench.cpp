// server_bench: the application server's speed, each figure beside its baseline.
//   (a) GetIntervalo round trip with 1,000 ranges vs a raw TCP exchange of the same sizes
//   (b) 64 connections calling GetIntervalo flat out vs 64 raw TCP exchanges
//   (c) GetRentab of 100,000 ranges into a client data set vs a raw TCP transfer of its size
//   (d) SetRentab of one insert vs a bare SQLite insert-and-commit, same durability
//   (e) GetIntervalo with 1,000,000 ranges vs with 1,000, one call to each in turn
// The single-connection figures, (a) and (e), run with both ends on one processor (see
// one_processor.h).
// Usage: server_bench [--quick]   (--quick: fewer rounds and 100,000 in place of 1,000,000)

#include <sqlite3.h>

#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "db/dataset.h"
#include "db/packet.h"
#include "echo_peer.h"
#include "latency.h"
#include "net/connection.h"
#include "net/messages.h"
#include "one_processor.h"
#include "ped06900/rdm_rentab.h"
#include "ped06900/sqlite_range_store.h"

namespace bench_server {
namespace {

using ped06900::testing::ChildProcess;

std::string KeyOf(long n) {
  char key[16];
  std::snprintf(key, sizeof key, "%010ld", n);
  return key;
}

// n ranges [10i, 10i + 5], i from 1, written in one transaction.
void Fill(const std::string& path, long n) {
  const auto start = Clock::now();
  ped06900::SqliteRangeStore store(path);
  auto writer = store.BeginWrite();
  for (long i = 1; i <= n; ++i) {
    writer->Insert({KeyOf(i), i * 10.0, i * 10.0 + 5, 255, "N"});
  }
  writer->Commit();
  std::printf("    (tabela de %ld faixas gerada em %.1f s)\n", n, MicrosSince(start) / 1e6);
}

class AppServer {
 public:
  AppServer(const std::string& path, const std::string& log)
      : child_(APPSERVER_PATH, {"--listen", "127.0.0.1:0", "--database", "sqlite:" + path}, log) {
    const std::string line = child_.ReadLine();
    port_ = std::atoi(line.c_str() + line.rfind(':', line.find(", banco")) + 1);
    if (port_ == 0) throw std::runtime_error("appserver did not start: " + line);
  }
  pid_t Pid() const { return child_.Pid(); }
  std::unique_ptr<net::TNetConnection> Connect() const {
    auto connection = std::make_unique<net::TNetConnection>();
    connection->SetServerName(ped06900::kServerObjectName);
    connection->SetPort(port_);
    connection->SetCallTimeout(std::chrono::seconds(60));
    connection->SetMaxFrame(256u << 20);
    connection->Open();
    return connection;
  }

 private:
  ChildProcess child_;
  int port_ = 0;
};

rtl::Variant Payload(const rtl::Variant& answer) {
  const auto& pair = answer.AsArray();
  if (pair.at(0).AsInt32() != 0) throw std::runtime_error(pair.at(1).AsString());
  return pair.at(1);
}

size_t CallBytes(const std::string& method, const rtl::VariantArray& args) {
  return 4 + net::EncodeCall(1, method, args).size();
}
size_t AnswerBytes(const rtl::Variant& answer) {
  return 4 + net::EncodeAnswer(1, answer).size();
}

struct RoundTrips {
  Samples server, echo;
};

// One connection, calls one after another.
RoundTrips GetIntervaloRoundTrips(const AppServer& server, const EchoPeer& peer, long ranges,
                                  int calls) {
  RoundTrips result;
  auto connection = server.Connect();
  EchoClient echo(peer.Port());
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> value(0, ranges * 10.0);
  for (int i = 0; i < calls / 10; ++i)
    connection->AppServer().Call("GetIntervalo", {value(random)});
  for (int i = 0; i < calls; ++i) {
    const double v = value(random);
    auto start = Clock::now();
    const rtl::Variant answer = connection->AppServer().Call("GetIntervalo", {v});
    result.server.Add(MicrosSince(start));
    const size_t request = CallBytes("GetIntervalo", {v}), reply = AnswerBytes(answer);
    start = Clock::now();
    echo.RoundTrip(request, reply);
    result.echo.Add(MicrosSince(start));
  }
  return result;
}

struct BySize {
  Samples large, small;
};

// The same lookup on two servers, one call to each in turn, so that both meet the machine in
// the same state.
BySize GetIntervaloBySize(const AppServer& large, long largeRanges, const AppServer& small,
                          long smallRanges, int calls) {
  BySize result;
  auto toLarge = large.Connect();
  auto toSmall = small.Connect();
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> inLarge(0, largeRanges * 10.0);
  std::uniform_real_distribution<double> inSmall(0, smallRanges * 10.0);
  for (int i = 0; i < calls / 10; ++i) {
    toLarge->AppServer().Call("GetIntervalo", {inLarge(random)});
    toSmall->AppServer().Call("GetIntervalo", {inSmall(random)});
  }
  for (int i = 0; i < calls; ++i) {
    const double l = inLarge(random), s = inSmall(random);
    auto start = Clock::now();
    toLarge->AppServer().Call("GetIntervalo", {l});
    result.large.Add(MicrosSince(start));
    start = Clock::now();
    toSmall->AppServer().Call("GetIntervalo", {s});
    result.small.Add(MicrosSince(start));
  }
  return result;
}

void PrintRoundTrips(const char* title, RoundTrips& r) {
  const double s50 = r.server.Percentile(0.5), s99 = r.server.Percentile(0.99);
  const double e50 = r.echo.Percentile(0.5), e99 = r.echo.Percentile(0.99);
  std::printf(
      "%s\n    servidor: p50 %.0f us, p99 %.0f us | eco TCP: p50 %.0f us, p99 %.0f us"
      " | razão p50 %.2fx, p99 %.2fx\n",
      title, s50, s99, e50, e99, s50 / e50, s99 / e99);
}

// 64 connections, each calling as fast as it can for the given time.
template <typename Client, typename MakeClient, typename CallOnce>
void Saturate(const char* label, int connections, double seconds, MakeClient make, CallOnce call) {
  std::vector<std::unique_ptr<Client>> clients;
  for (int i = 0; i < connections; ++i) clients.push_back(make());
  std::vector<Samples> samples(connections);
  std::atomic<bool> go{false}, stop{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < connections; ++t) {
    threads.emplace_back([&, t] {
      std::mt19937_64 random(t);
      while (!go) std::this_thread::yield();
      while (!stop) {
        const auto start = Clock::now();
        call(*clients[t], random);
        samples[t].Add(MicrosSince(start));
      }
    });
  }
  const auto start = Clock::now();
  go = true;
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  stop = true;
  for (auto& thread : threads) thread.join();
  const double elapsed = MicrosSince(start) / 1e6;
  Samples all;
  for (auto& s : samples) all.Merge(s);
  std::printf("    %s: %.0f chamadas/s, p99 %.2f ms\n", label, all.Count() / elapsed,
              all.Percentile(0.99) / 1000);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A bare insert-and-commit through the SQLite library, WAL and synchronous FULL as the store.
class BareSqlite {
 public:
  explicit BareSqlite(const std::string& path) {
    sqlite3_open(path.c_str(), &db_);
    sqlite3_exec(db_, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", nullptr, nullptr,
                 nullptr);
    sqlite3_exec(db_,
                 "CREATE TABLE R (K TEXT PRIMARY KEY, A REAL NOT NULL, B REAL NOT NULL,"
                 " C REAL NOT NULL, F TEXT NOT NULL)",
                 nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db_, "INSERT INTO R VALUES (?, ?, ?, ?, ?)", -1, &insert_, nullptr);
  }
  ~BareSqlite() {
    sqlite3_finalize(insert_);
    sqlite3_close(db_);
  }
  // Inserts range i and commits; returns the time it took.
  double Insert(int i) {
    const std::string key = KeyOf(i);
    const auto start = Clock::now();
    sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_bind_text(insert_, 1, key.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_double(insert_, 2, i * 10.0);
    sqlite3_bind_double(insert_, 3, i * 10.0 + 5);
    sqlite3_bind_double(insert_, 4, 255);
    sqlite3_bind_text(insert_, 5, "N", -1, SQLITE_STATIC);
    if (sqlite3_step(insert_) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db_));
    sqlite3_reset(insert_);
    sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    return MicrosSince(start);
  }

 private:
  sqlite3* db_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
};

std::vector<db::FieldDef> RangeFields() {
  return {{"NRSEQRENT", db::FieldType::String, 10, {true, true, true}},
          {"VRPERCINIRENT", db::FieldType::Float, 0, {}},
          {"VRPERCFIMRENT", db::FieldType::Float, 0, {}},
          {"VRCORRENT", db::FieldType::Float, 0, {}},
          {"IDBLOQUEIAPED", db::FieldType::String, 1, db::ProviderFlags::None()}};
}

int Main(bool quick) {
  EchoPeer peer;  // forked before any thread exists
  QTemporaryDir dir;
  const auto file = [&](const char* name) { return dir.filePath(name).toStdString(); };
  const std::string log = file("appserver.log");
  const long big = quick ? 100000 : 1000000;
  const int calls = quick ? 1000 : 5000;

  Fill(file("mil.db"), 1000);
  AppServer thousand(file("mil.db"), log);
  RoundTrips small = [&] {
    const OneProcessor pinned({thousand.Pid(), peer.Pid()});
    return GetIntervaloRoundTrips(thousand, peer, 1000, calls);
  }();
  PrintRoundTrips("(a) GetIntervalo, 1.000 faixas, uma conexão:", small);

  std::printf("(b) 64 conexões chamando GetIntervalo sem pausa (1.000 faixas):\n");
  const double seconds = quick ? 1.0 : 3.0;
  Saturate<net::TNetConnection>(
      "servidor", 64, seconds, [&] { return thousand.Connect(); },
      [](net::TNetConnection& c, std::mt19937_64& random) {
        c.AppServer().Call("GetIntervalo",
                           {std::uniform_real_distribution<double>(0, 1e4)(random)});
      });
  const size_t request = CallBytes("GetIntervalo", {1234.5});
  const size_t reply = AnswerBytes(thousand.Connect()->AppServer().Call("GetIntervalo", {15.0}));
  Saturate<EchoClient>(
      "eco TCP", 64, seconds, [&] { return std::make_unique<EchoClient>(peer.Port()); },
      [&](EchoClient& c, std::mt19937_64&) { c.RoundTrip(request, reply); });

  {
    Fill(file("cemmil.db"), 100000);
    AppServer server(file("cemmil.db"), log);
    auto connection = server.Connect();
    EchoClient echo(peer.Port());
    std::vector<double> total, call, load, transfer;
    size_t bytes = 0;
    for (int i = 0; i < (quick ? 3 : 7); ++i) {
      db::TClientDataSet cds("cdsRentab");
      cds.AddStringField("NRSEQRENT", 10);
      cds.AddFloatField("VRPERCINIRENT");
      cds.AddFloatField("VRPERCFIMRENT");
      cds.AddFloatField("VRCORRENT");
      cds.AddStringField("IDBLOQUEIAPED", 1);
      const auto start = Clock::now();
      const rtl::Variant answer = connection->AppServer().Call("GetRentab");
      const double called = MicrosSince(start);
      cds.SetData(Payload(answer));
      total.push_back(MicrosSince(start));
      call.push_back(called);
      load.push_back(total.back() - called);
      if (cds.RecordCount() != 100000) throw std::runtime_error("GetRentab lost rows");
      bytes = AnswerBytes(answer);
      const auto echoStart = Clock::now();
      echo.RoundTrip(CallBytes("GetRentab", {}), bytes);
      transfer.push_back(MicrosSince(echoStart));
    }
    std::printf(
        "(c) GetRentab de 100.000 faixas até o data set carregado (%.1f MB):\n"
        "    total %.0f ms (chamada %.0f ms + carga %.0f ms) | eco TCP do mesmo tamanho"
        " %.1f ms | razão %.1fx\n",
        bytes / 1e6, Median(total) / 1000, Median(call) / 1000, Median(load) / 1000,
        Median(transfer) / 1000, Median(total) / Median(transfer));
  }

  {
    ped06900::SqliteRangeStore(file("vazio.db"));
    AppServer server(file("vazio.db"), log);
    auto connection = server.Connect();
    const int inserts = quick ? 50 : 300;
    BareSqlite bareStore(file("bare.db"));
    Samples set, bare;
    // One of each in turn, so that a change in the machine's load hits both alike.
    for (int i = 1; i <= inserts; ++i) {
      db::DeltaPacket delta{RangeFields(), {}};
      delta.changes.push_back(
          {db::ChangeKind::Insert, {}, {KeyOf(i), i * 10.0, i * 10.0 + 5, 255.0, "N"}});
      const rtl::Variant packet = db::EncodeDeltaVariant(delta);
      const auto start = Clock::now();
      Payload(connection->AppServer().Call("SetRentab", {packet}));
      set.Add(MicrosSince(start));
      bare.Add(bareStore.Insert(i));
    }
    const double s50 = set.Percentile(0.5), b50 = bare.Percentile(0.5);
    std::printf(
        "(d) SetRentab de uma inclusão: p50 %.0f us, p99 %.0f us | INSERT+COMMIT puro no"
        " SQLite: p50 %.0f us, p99 %.0f us | razão p50 %.2fx\n",
        s50, set.Percentile(0.99), b50, bare.Percentile(0.99), s50 / b50);
  }

  {
    Fill(file("grande.db"), big);
    AppServer server(file("grande.db"), log);
    const OneProcessor pinned({server.Pid(), thousand.Pid()});
    BySize bySize = GetIntervaloBySize(server, big, thousand, 1000, calls);
    const double l50 = bySize.large.Percentile(0.5), l99 = bySize.large.Percentile(0.99);
    const double s50 = bySize.small.Percentile(0.5), s99 = bySize.small.Percentile(0.99);
    std::printf(
        "(e) GetIntervalo com %ld faixas: p50 %.0f us, p99 %.0f us | com 1.000: p50 %.0f"
        " us, p99 %.0f us | razão p50 %.2fx, p99 %.2fx\n",
        big, l50, l99, s50, s99, l50 / s50, l99 / s99);
  }
  return 0;
}

}  // namespace
}  // namespace bench_server

int main(int argc, char** argv) {
  try {
    return bench_server::Main(argc > 1 && std::string(argv[1]) == "--quick");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "server_bench: %s\n", e.what());
    return 1;
  }
}
