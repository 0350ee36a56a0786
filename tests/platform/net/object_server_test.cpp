// The object server over real loopback TCP, driven by hand-made frames: binding by hello, calls,
// every refusal, the limits, and stopping.

#include <gtest/gtest.h>

#include <csignal>
#include <future>
#include <thread>

#include "net/errors.h"
#include "net/frame.h"
#include "net/variant_codec.h"
#include "test_support.h"

namespace {

using namespace std::chrono_literals;
using net::ServerMessage;
using nettest::RawSocket;
using nettest::TestServer;
using rtl::Variant;
using rtl::VariantArray;

// Options with one setting changed; the rest keep their defaults.
template <typename Change>
net::ObjectServerOptions With(Change change) {
  net::ObjectServerOptions options;
  change(options);
  return options;
}

std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out.push_back(static_cast<char>(b));
  return out;
}

TEST(ObjectServer, AnswersCallsInOrderOnABoundConnection) {
  TestServer server;
  RawSocket client = RawSocket::Connect(server.Port());
  client.Hello(nettest::kTestObject);

  const Variant packet = Variant(VariantArray{0, Variant::FromBytes("dados"), 10.5, "ação"});
  auto reply = client.Call(1, "Echo", {packet});
  EXPECT_EQ(reply.kind, ServerMessage::Kind::Answer);
  EXPECT_EQ(reply.id, 1u);
  EXPECT_EQ(reply.value, packet);

  reply = client.Call(2, "Add", {2, 0.5});
  EXPECT_EQ(reply.value, Variant(2.5));

  // Two calls sent back to back are answered one after the other, in order.
  std::string frames;
  net::AppendFrame(frames, net::EncodeCall(3, "Sleep", {50}));
  net::AppendFrame(frames, net::EncodeCall(4, "Echo", {"segunda"}));
  client.Send(frames);
  const auto first = client.ReadMessage();
  const auto second = client.ReadMessage();
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->id, 3u);
  EXPECT_EQ(second->id, 4u);
  EXPECT_EQ(second->value, Variant("segunda"));
}

TEST(ObjectServer, RefusesABadCallAndKeepsTheConnection) {
  TestServer server;
  RawSocket client = RawSocket::Connect(server.Port());
  client.Hello(nettest::kTestObject);

  struct Case {
    const char* name;
    std::string method;
    VariantArray args;
    const char* code;
  };
  const Case cases[] = {
      {"unknown method", "Nada", {}, net::kNoSuchMethod},
      {"too few arguments", "Add", {1}, net::kBadArguments},
      {"too many arguments", "Echo", {1, 2}, net::kBadArguments},
      {"wrong type", "Add", {"1", 2}, net::kBadArguments},
      {"null for a typed argument", "Add", {Variant::Null(), 2}, net::kBadArguments},
      {"refused by the method itself", "Positive", {-3}, net::kBadArguments},
      {"method raises", "Throw", {}, net::kInternal},
  };
  uint64_t id = 10;
  for (const auto& c : cases) {
    const auto reply = client.Call(++id, c.method, c.args);
    EXPECT_EQ(reply.kind, ServerMessage::Kind::Refused) << c.name;
    EXPECT_EQ(reply.id, id) << c.name;
    EXPECT_EQ(reply.code, c.code) << c.name;
    EXPECT_FALSE(reply.message.empty()) << c.name;
  }
  EXPECT_EQ(server.State().calls.load(), 2);  // only Positive and Throw ran
  EXPECT_EQ(client.Call(99, "Echo", {1}).value, Variant(1));

  // An internal failure is logged in full but reaches the client only as a generic message.
  const auto reply = client.Call(100, "Throw", {});
  EXPECT_EQ(reply.message.find("senha"), std::string::npos) << reply.message;
  EXPECT_TRUE(server.LogContains("senha=xyz"));
  EXPECT_TRUE(server.LogContains("Nada"));

  // A hostile method name neither forges log lines nor comes back at full length.
  const std::string forged = "X\nconexão #1 fechada" + std::string(1000, 'a');
  const auto hostile = client.Call(101, forged, {});
  EXPECT_EQ(hostile.code, net::kNoSuchMethod);
  EXPECT_EQ(hostile.message.find('\n'), std::string::npos);
  EXPECT_LT(hostile.message.size(), 200u);
  for (const auto& line : server.Log()) EXPECT_EQ(line.find('\n'), std::string::npos) << line;
}

TEST(ObjectServer, RefusesABadHelloAndCloses) {
  TestServer server(With([](auto& o) { o.accessToken = "chave"; }));
  struct Case {
    const char* name;
    std::string object;
    std::optional<std::string> token;
    int64_t version;
    const char* code;
  };
  const Case cases[] = {
      {"unknown object", "outro.objeto", "chave", 1, net::kNoSuchObject},
      {"missing token", nettest::kTestObject, std::nullopt, 1, net::kBadToken},
      {"wrong token", nettest::kTestObject, "chavf", 1, net::kBadToken},
      {"token prefix", nettest::kTestObject, "cha", 1, net::kBadToken},
      {"other protocol version", nettest::kTestObject, "chave", 2, net::kProtocol},
  };
  for (const auto& c : cases) {
    RawSocket client = RawSocket::Connect(server.Port());
    client.SendFrame(net::EncodeHello({c.version, c.object, c.token}));
    const auto reply = client.ReadMessage();
    ASSERT_TRUE(reply.has_value()) << c.name;
    EXPECT_EQ(reply->kind, ServerMessage::Kind::Refused) << c.name;
    EXPECT_FALSE(reply->id.has_value()) << c.name;
    EXPECT_EQ(reply->code, c.code) << c.name;
    EXPECT_TRUE(client.PeerCloses()) << c.name;
  }
  RawSocket good = RawSocket::Connect(server.Port());
  good.Hello(nettest::kTestObject, "chave");
  EXPECT_EQ(good.Call(1, "Echo", {7}).value, Variant(7));
}

TEST(ObjectServer, DropsOnlyTheConnectionThatBreaksTheProtocol) {
  TestServer server(With([](auto& o) { o.maxFrame = 4096; }));
  RawSocket bystander = RawSocket::Connect(server.Port());
  bystander.Hello(nettest::kTestObject);

  std::string deep;
  for (int i = 0; i < 70; ++i) deep.push_back(static_cast<char>(0x81));
  deep.push_back(0x01);
  const std::string deepCall =
      Bytes({0x84, 0x64, 'c', 'a', 'l', 'l', 0x01, 0x61, 'm', 0x81}) + deep;

  struct Case {
    const char* name;
    bool hello;         // send a valid hello first
    std::string bytes;  // raw bytes, framing included
    bool expectRefusal;
  };
  std::string overLimit = Bytes({0, 0, 0x10, 0x01});  // 4097 bytes announced, body never sent
  std::string garbage = "GET / HTTP/1.1\r\nHost: x\r\n\r\n";
  auto framed = [](const std::string& payload) {
    std::string out;
    net::AppendFrame(out, payload);
    return out;
  };
  const Case cases[] = {
      {"frame over the limit", true, overLimit, true},
      {"zero length frame", true, Bytes({0, 0, 0, 0}), true},
      {"garbage bytes", false, garbage, true},
      {"map instead of a message", true, framed(Bytes({0xa1, 0x01, 0x02})), true},
      {"nesting too deep", true, framed(deepCall), true},
      {"trailing bytes after the call", true, framed(net::EncodeCall(1, "Echo", {1}) + "x"), true},
      {"call before the hello", false, framed(net::EncodeCall(1, "Echo", {1})), true},
      {"hello twice", true, framed(net::EncodeHello({1, nettest::kTestObject, std::nullopt})),
       true},
  };
  for (const auto& c : cases) {
    RawSocket client = RawSocket::Connect(server.Port());
    if (c.hello) client.Hello(nettest::kTestObject);
    client.Send(c.bytes);
    if (c.expectRefusal) {
      const auto reply = client.ReadMessage();
      ASSERT_TRUE(reply.has_value()) << c.name;
      EXPECT_EQ(reply->kind, ServerMessage::Kind::Refused) << c.name;
      EXPECT_EQ(reply->code, net::kProtocol) << c.name;
    }
    EXPECT_TRUE(client.PeerCloses()) << c.name;
    EXPECT_EQ(bystander.Call(1, "Echo", {c.name}).value, Variant(c.name)) << c.name;
  }

  // A frame cut short by the client's close: the server drops the link and logs it.
  {
    RawSocket client = RawSocket::Connect(server.Port());
    client.Hello(nettest::kTestObject);
    std::string frame = framed(net::EncodeCall(1, "Echo", {"incompleto"}));
    client.Send(frame.substr(0, frame.size() - 3));
    EXPECT_TRUE(client.StaysSilent(100ms));
  }
  for (int i = 0; i < 50 && !server.LogContains("no meio de um quadro"); ++i)
    std::this_thread::sleep_for(20ms);
  EXPECT_TRUE(server.LogContains("no meio de um quadro"));
  EXPECT_EQ(bystander.Call(2, "Echo", {"ainda"}).value, Variant("ainda"));
  EXPECT_EQ(server.State().calls.load(), static_cast<int>(std::size(cases)) + 1);
}

TEST(ObjectServer, HoldsHundredsOfIdleConnections) {
  TestServer server(With([](auto& o) { o.workers = 2; }));
  std::vector<RawSocket> idle;
  for (int i = 0; i < 400; ++i) {
    idle.push_back(RawSocket::Connect(server.Port()));
    idle.back().Hello(nettest::kTestObject);
  }
  // Every one of them still works, and the last opened is served at once.
  for (size_t i = 0; i < idle.size(); i += 37)
    EXPECT_EQ(idle[i].Call(i, "Echo", {static_cast<int32_t>(i)}).value,
              Variant(static_cast<int32_t>(i)));
  EXPECT_EQ(idle.back().Call(1, "Echo", {"último"}).value, Variant("último"));
}

TEST(ObjectServer, MakesOneInstancePerWorkerAndRunsCallsInParallel) {
  TestServer server(With([](auto& o) { o.workers = 3; }));
  EXPECT_EQ(server.State().instances.load(), 3);
  std::vector<RawSocket> clients;
  for (int i = 0; i < 3; ++i) {
    clients.push_back(RawSocket::Connect(server.Port()));
    clients.back().Hello(nettest::kTestObject);
    clients.back().SendFrame(net::EncodeCall(1, "Gate", {}));
  }
  // All three blocking calls are under way at once: each has a worker of its own.
  EXPECT_TRUE(server.State().WaitStarted(3));
  server.State().OpenGate();
  for (auto& client : clients) {
    const auto reply = client.ReadMessage();
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->value, Variant(true));
  }
}

TEST(ObjectServer, StopLetsTheCallInFlightFinish) {
  TestServer server;
  RawSocket idle = RawSocket::Connect(server.Port());
  idle.Hello(nettest::kTestObject);
  RawSocket busy = RawSocket::Connect(server.Port());
  busy.Hello(nettest::kTestObject);
  busy.SendFrame(net::EncodeCall(5, "Gate", {}));
  ASSERT_TRUE(server.State().WaitStarted(1));

  auto stopped = std::async(std::launch::async, [&] { server.Server().Stop(); });
  EXPECT_TRUE(idle.PeerCloses());                                   // idle links close at once
  EXPECT_EQ(stopped.wait_for(100ms), std::future_status::timeout);  // the call holds the stop
  server.State().OpenGate();
  ASSERT_EQ(stopped.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(server.State().finished.load(), 1);
  const auto reply = busy.ReadMessage();
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->id, 5u);
  EXPECT_EQ(reply->value, Variant(true));
  EXPECT_TRUE(busy.PeerCloses());
  EXPECT_TRUE(server.LogContains("Servidor parado"));
}

TEST(ObjectServer, StopsOnSigterm) {
  TestServer server;
  net::StopOnSignals(server.Server());
  RawSocket client = RawSocket::Connect(server.Port());
  client.Hello(nettest::kTestObject);
  auto stopped = std::async(std::launch::async, [&] { server.Server().Wait(); });
  std::raise(SIGTERM);
  ASSERT_EQ(stopped.wait_for(5s), std::future_status::ready);
  EXPECT_TRUE(client.PeerCloses());
  std::signal(SIGTERM, SIG_DFL);
  std::signal(SIGINT, SIG_DFL);
}

TEST(ObjectServer, StartFailsClearlyWhenAFactoryRaisesOrThePortIsTaken) {
  const auto quiet = [](auto& o) { o.logger = [](const std::string&) {}; };
  net::ObjectServer failing(With(quiet));
  failing.Register("quebrado", []() -> std::unique_ptr<net::ServerObject> {
    throw rtl::Exception("banco de dados indisponível");
  });
  try {
    failing.Start();
    FAIL() << "Start should raise";
  } catch (const rtl::Exception& e) {
    EXPECT_NE(e.Message().find("quebrado"), std::string::npos) << e.Message();
    EXPECT_NE(e.Message().find("banco de dados indisponível"), std::string::npos);
  }

  TestServer running;
  net::ObjectServer second(With([&](auto& o) {
    quiet(o);
    o.port = running.Port();
  }));
  EXPECT_THROW(second.Start(), rtl::Exception);
}

}  // namespace
