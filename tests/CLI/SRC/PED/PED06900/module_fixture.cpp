#include "module_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <charconv>
#include <random>
#include <sstream>

#include "appserver/app.h"
#include "net/server_object.h"
#include "orv/valmora.h"
#include "ped06900/range_csv.h"
#include "ped06900/sqlite_range_store.h"
#include "rtl/exceptions.h"

namespace ped06900_test {

QApplication& App() {
  static int argc = 1;
  static char name[] = "ped06900_tests";
  static char* argv[] = {name, nullptr};
  // Never destroyed: Qt's own globals go first at exit, and a QApplication destroyed after
  // them crashes. ScreenTest releases every form before the program ends.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

db::DataPacket RangePacket(const std::vector<Range>& ranges) {
  db::DataPacket packet;
  packet.fields = {{"NRSEQRENT", db::FieldType::String, 10, {true, true, true}},
                   {"VRPERCINIRENT", db::FieldType::Float, 0, {}},
                   {"VRPERCFIMRENT", db::FieldType::Float, 0, {}},
                   {"VRCORRENT", db::FieldType::Float, 0, {}},
                   {"IDBLOQUEIAPED", db::FieldType::String, 1, {}}};
  for (const Range& r : ranges) {
    packet.rows.push_back({r.key, r.start, r.end, r.colour, r.flag});
  }
  return packet;
}

rtl::Variant Success(const rtl::Variant& payload) {
  return rtl::Variant(rtl::VariantArray{int32_t{0}, payload});
}

rtl::Variant Failure(const std::string& text) {
  return rtl::Variant(rtl::VariantArray{int32_t{1}, text});
}

namespace {

std::string Number(double value) {
  char text[64];
  auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return std::string(text, end);
}

std::string Csv(const std::vector<Range>& ranges) {
  std::string csv = "NRSEQRENT;VRPERCINIRENT;VRPERCFIMRENT;VRCORRENT;IDBLOQUEIAPED\n";
  for (const Range& r : ranges) {
    csv += r.key + ";" + Number(r.start) + ";" + Number(r.end) + ";" + Number(r.colour) + ";" +
           r.flag + "\n";
  }
  return csv;
}

std::filesystem::path NewTemporaryFolder() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto folder = std::filesystem::temp_directory_path() /
                  ("ped06900_test_" + std::to_string(random()) + std::to_string(random()));
    if (std::filesystem::create_directory(folder)) return folder;
  }
  throw rtl::Exception("no temporary folder could be made");
}

void Quiet(const std::string&) {}

}  // namespace

RealServer::RealServer(const std::vector<Range>& ranges)
    : folder_(NewTemporaryFolder()), database_((folder_ / "rentab.db").string()) {
  Store(ranges);
  appserver::ServerOptions options;
  options.port = 0;
  options.databasePath = database_;
  options.defaultDatabase = false;
  options.workers = 2;
  server_ = appserver::MakeServer(options, Quiet);
  server_->Start();
  port_ = server_->Port();
  orv::SetWebServer("127.0.0.1", port_);
}

RealServer::~RealServer() {
  Stop();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void RealServer::Stop() {
  if (server_) server_->Stop();
  server_.reset();
}

void RealServer::Store(const std::vector<Range>& ranges) {
  ped06900::SqliteRangeStore store(database_);  // creates the database when new
  if (ranges.empty()) return;
  std::istringstream in(Csv(ranges));
  ped06900::ImportRangesCsv(store, in);
}

std::vector<Range> RealServer::Stored() const {
  ped06900::SqliteRangeStore store(database_);
  std::vector<Range> ranges;
  for (const auto& r : store.All()) ranges.push_back({r.key, r.start, r.end, r.colour, r.flag});
  return ranges;
}

namespace {

class ScriptedRentab : public net::ServerObject {
 public:
  explicit ScriptedRentab(std::shared_ptr<ScriptedServer::State> state) : state_(std::move(state)) {
    using rtl::VarType;
    Expose("GetRentab", {}, Handler("GetRentab"));
    Expose("GetSeq", {}, Handler("GetSeq"));
    Expose("SetRentab", {net::ParamType::Any()}, Handler("SetRentab"));
    Expose("GetIntervalo", {net::ParamType({VarType::Double})}, Handler("GetIntervalo"));
  }

 private:
  net::MethodHandler Handler(std::string method) {
    return [state = state_, method](const rtl::VariantArray& args) {
      ScriptedServer::Answer answer;
      {
        std::lock_guard lock(state->mutex);
        state->calls.push_back(method);
        auto found = state->answers.find(method);
        if (found != state->answers.end()) answer = found->second;
      }
      return answer ? answer(args) : Failure("Sem resposta programada para " + method);
    };
  }

  std::shared_ptr<ScriptedServer::State> state_;
};

}  // namespace

ScriptedServer::ScriptedServer() : state_(std::make_shared<State>()) {
  net::ObjectServerOptions options;
  options.workers = 1;
  options.logger = Quiet;
  server_ = std::make_unique<net::ObjectServer>(options);
  server_->Register("ped06900.rdmRentab",
                    [state = state_] { return std::make_unique<ScriptedRentab>(state); });
  server_->Start();
  orv::SetWebServer("127.0.0.1", server_->Port());
}

ScriptedServer::~ScriptedServer() {
  server_->Stop();
}

uint16_t ScriptedServer::Port() const {
  return server_->Port();
}

void ScriptedServer::Script(const std::string& method, Answer answer) {
  std::lock_guard lock(state_->mutex);
  state_->answers[method] = std::move(answer);
}

std::vector<std::string> ScriptedServer::Calls() const {
  std::lock_guard lock(state_->mutex);
  return state_->calls;
}

void ScriptedServer::ClearCalls() {
  std::lock_guard lock(state_->mutex);
  state_->calls.clear();
}

uint16_t ClosedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) throw rtl::Exception("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    throw rtl::Exception("bind");
  }
  ::close(fd);  // bound but never listening: a connect is refused
  return ntohs(address.sin_port);
}

}  // namespace ped06900_test
