#pragma once
// What the module's tests stand on: the Qt application, a real app server on loopback over a
// throw-away SQLite file, a scripted server object on the same transport for failures a real
// server will not produce, and small builders of answers and packets.

#include <QApplication>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "db/packet.h"
#include "net/object_server.h"
#include "rtl/variant.h"

namespace ped06900_test {

// The process's QApplication (offscreen under CTest), made on first use.
QApplication& App();

// A range as the tests write it.
struct Range {
  std::string key;
  double start;
  double end;
  double colour;
  std::string flag;
};

// The range packet of GetRentab.
db::DataPacket RangePacket(const std::vector<Range>& ranges);
// A method's answer envelope: success with a payload, or a failure with its text.
rtl::Variant Success(const rtl::Variant& payload);
rtl::Variant Failure(const std::string& text);

// The real application server (the appserver program's own code) on 127.0.0.1 and an ephemeral
// port, over a new SQLite file in a temporary folder that goes away with the object. The
// ranges given are stored before the server starts. Points the host's server address
// (orv::SetWebServer) at it.
class RealServer {
 public:
  explicit RealServer(const std::vector<Range>& ranges = {});
  ~RealServer();
  RealServer(const RealServer&) = delete;
  RealServer& operator=(const RealServer&) = delete;

  uint16_t Port() const { return port_; }
  // Stops serving; the port then refuses connections.
  void Stop();
  // Adds ranges behind the screen's back, as another user would.
  void Store(const std::vector<Range>& ranges);
  // Every stored range, by start then key.
  std::vector<Range> Stored() const;

 private:
  std::filesystem::path folder_;
  std::string database_;
  std::unique_ptr<net::ObjectServer> server_;
  uint16_t port_ = 0;
};

// A server object "ped06900.rdmRentab" whose answers the test scripts, served over the real
// object server on loopback. A method without a script answers a failure envelope. Calls are
// recorded by method name, in order. Points the host's server address at it.
class ScriptedServer {
 public:
  using Answer = std::function<rtl::Variant(const rtl::VariantArray& args)>;

  ScriptedServer();
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  uint16_t Port() const;
  void Script(const std::string& method, Answer answer);
  std::vector<std::string> Calls() const;
  void ClearCalls();

  struct State {
    mutable std::mutex mutex;
    std::map<std::string, Answer> answers;
    std::vector<std::string> calls;
  };

 private:
  std::shared_ptr<State> state_;
  std::unique_ptr<net::ObjectServer> server_;
};

// A loopback port on which nothing listens.
uint16_t ClosedPort();

}  // namespace ped06900_test
