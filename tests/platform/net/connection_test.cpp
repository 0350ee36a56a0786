// TNetConnection against the real object server and against scripted peers that misbehave.

#include "net/connection.h"

#include <gtest/gtest.h>

#include "net/errors.h"
#include "net/frame.h"
#include "test_support.h"

namespace {

using namespace std::chrono_literals;
using net::TNetConnection;
using nettest::RawSocket;
using nettest::ScriptedPeer;
using nettest::TestServer;
using rtl::Variant;

// A connection set up the way the screen sets it up: the host and port come from BeforeConnect.
struct Client {
  TNetConnection connection;
  int beforeConnectRuns = 0;

  Client(uint16_t port, const std::string& object = nettest::kTestObject) {
    connection.SetServerName(object);
    connection.SetBeforeConnect([this, port](TNetConnection& c) {
      ++beforeConnectRuns;
      c.SetHost("127.0.0.1");
      c.SetPort(port);
    });
    connection.SetConnectTimeout(2s);
    connection.SetCallTimeout(2s);
  }
  Variant Call(const std::string& method, const rtl::VariantArray& args = {}) {
    return connection.AppServer().Call(method, args);
  }
};

// The message of the ENetError that body raises (empty, and a failure, when none is raised).
template <typename Body>
std::string NetErrorOf(Body body) {
  try {
    body();
  } catch (const net::ENetError& e) {
    return e.Message();
  }
  ADD_FAILURE() << "no ENetError raised";
  return {};
}

// A port on which nothing listens.
uint16_t ClosedPort() {
  TestServer server;
  return server.Port();
}

// The opening of a peer script: read the hello and welcome the client.
void Welcome(RawSocket& peer) {
  ASSERT_TRUE(peer.ReadFrame().has_value());
  peer.SendFrame(net::EncodeWelcome(nettest::kTestObject));
}

TEST(NetConnection, CallsMethodsByNameWithPositionalArguments) {
  TestServer server;
  Client client(server.Port());
  client.connection.SetConnected(true);
  ASSERT_TRUE(client.connection.Connected());
  EXPECT_EQ(client.beforeConnectRuns, 1);

  const Variant delta = Variant::FromBytes(std::string("\x00\xa1", 2));
  EXPECT_EQ(client.Call("Echo", {delta}), delta);
  EXPECT_EQ(client.Call("Add", {1, 10.5}), Variant(11.5));
  EXPECT_EQ(client.beforeConnectRuns, 1);  // one opening serves every call

  client.connection.SetConnected(false);
  EXPECT_FALSE(client.connection.Connected());
  const std::string message = NetErrorOf([&] { client.Call("Echo", {1}); });
  EXPECT_NE(message.find("127.0.0.1:" + std::to_string(server.Port())), std::string::npos)
      << message;
}

TEST(NetConnection, RaisesARefusedCallAndStaysUsable) {
  TestServer server;
  Client client(server.Port());
  client.connection.Open();
  struct Case {
    const char* method;
    rtl::VariantArray args;
    const char* code;
  };
  const Case cases[] = {
      {"Inexistente", {}, net::kNoSuchMethod},
      {"Add", {"x", 1}, net::kBadArguments},
      {"Throw", {}, net::kInternal},
  };
  for (const auto& c : cases) {
    try {
      client.Call(c.method, c.args);
      ADD_FAILURE() << c.method << " should be refused";
    } catch (const net::ERefused& e) {
      EXPECT_EQ(e.Code(), c.code);
      EXPECT_NE(e.Message().find(c.method), std::string::npos) << e.Message();
      EXPECT_NE(e.Message().find(std::to_string(server.Port())), std::string::npos);
    }
    EXPECT_EQ(client.Call("Echo", {"depois"}), Variant("depois"));
  }
  EXPECT_EQ(client.beforeConnectRuns, 1);
}

TEST(NetConnection, ThrowExceptionDecidesWhetherAFailedConnectRaises) {
  TestServer server;
  const uint16_t closed = ClosedPort();
  struct Case {
    const char* name;
    uint16_t port;
    std::string object;
  };
  const Case cases[] = {
      {"nothing listens", closed, nettest::kTestObject},
      {"unknown object", server.Port(), "outro.objeto"},
  };
  for (const auto& c : cases) {
    Client raising(c.port, c.object);
    raising.connection.SetThrowException(true);
    EXPECT_THROW(raising.connection.SetConnected(true), net::ENetError) << c.name;
    EXPECT_FALSE(raising.connection.Connected()) << c.name;

    Client quiet(c.port, c.object);
    quiet.connection.SetThrowException(false);
    EXPECT_NO_THROW(quiet.connection.SetConnected(true)) << c.name;
    EXPECT_FALSE(quiet.connection.Connected()) << c.name;
    EXPECT_FALSE(quiet.connection.LastError().empty()) << c.name;
    EXPECT_THROW(quiet.Call("Echo", {1}), net::ENetError) << c.name;
  }
}

TEST(NetConnection, PassesOnWhatBeforeConnectRaises) {
  TestServer server;
  for (bool throwException : {true, false}) {
    TNetConnection connection;
    connection.SetThrowException(throwException);
    connection.SetServerName(nettest::kTestObject);
    connection.SetBeforeConnect(
        [](TNetConnection&) -> void { throw rtl::Exception("Porta do servidor não configurada"); });
    try {
      connection.SetConnected(true);
      ADD_FAILURE() << "BeforeConnect's exception was swallowed";
    } catch (const rtl::Exception& e) {
      EXPECT_EQ(e.Message(), "Porta do servidor não configurada");
    }
    EXPECT_FALSE(connection.Connected());
  }
}

TEST(NetConnection, SendsTheAccessToken) {
  net::ObjectServerOptions options;
  options.accessToken = "chave-secreta";
  TestServer server(options);
  Client without(server.Port());
  try {
    without.connection.Open();
    FAIL() << "a hello without the token was accepted";
  } catch (const net::ERefused& e) {
    EXPECT_EQ(e.Code(), net::kBadToken);
  }
  Client with(server.Port());
  with.connection.SetAccessToken("chave-secreta");
  with.connection.Open();
  EXPECT_EQ(with.Call("Echo", {3}), Variant(3));
}

TEST(NetConnection, TimesOutAgainstAPeerThatNeverAnswers) {
  // Accepts and stays silent: the hello goes unanswered.
  ScriptedPeer mute([](RawSocket& peer) { peer.PeerCloses(5s); });
  Client connecting(mute.Port());
  connecting.connection.SetConnectTimeout(200ms);
  const std::string connectMessage = NetErrorOf([&] { connecting.connection.Open(); });
  EXPECT_NE(connectMessage.find("tempo de espera"), std::string::npos) << connectMessage;
  EXPECT_NE(connectMessage.find(std::to_string(mute.Port())), std::string::npos);

  // Welcomes, reads the call and never answers it.
  ScriptedPeer stalling([](RawSocket& peer) {
    Welcome(peer);
    peer.ReadFrame();
    peer.PeerCloses(5s);
  });
  Client calling(stalling.Port());
  calling.connection.SetCallTimeout(200ms);
  calling.connection.Open();
  const std::string callMessage = NetErrorOf([&] { calling.Call("GetRentab"); });
  EXPECT_NE(callMessage.find("tempo de espera de 200 ms esgotado"), std::string::npos)
      << callMessage;
  EXPECT_NE(callMessage.find("GetRentab"), std::string::npos) << callMessage;
  // The link was closed (its state is unknown); the next call opens a new one.
  EXPECT_THROW(calling.Call("GetRentab"), net::ENetError);
  EXPECT_EQ(stalling.Accepted(), 2);
  EXPECT_EQ(calling.beforeConnectRuns, 2);
}

TEST(NetConnection, ReopensOnceWhenTheServerRestartedBetweenCalls) {
  auto server = std::make_unique<TestServer>();
  const uint16_t port = server->Port();
  Client client(port);
  client.connection.Open();
  EXPECT_EQ(client.Call("Echo", {1}), Variant(1));

  server.reset();
  net::ObjectServerOptions options;
  options.port = port;
  server = std::make_unique<TestServer>(options);
  EXPECT_EQ(client.Call("Echo", {2}), Variant(2));
  EXPECT_EQ(client.beforeConnectRuns, 2);
  EXPECT_TRUE(client.connection.Connected());

  // Gone for good: the one reopening fails and the call raises; the next call tries again.
  server.reset();
  EXPECT_THROW(client.Call("Echo", {3}), net::ENetError);
  EXPECT_EQ(client.beforeConnectRuns, 3);
  server = std::make_unique<TestServer>(options);
  EXPECT_EQ(client.Call("Echo", {4}), Variant(4));
}

TEST(NetConnection, NeverSendsACallTwice) {
  std::atomic<int> callsSeen{0};
  ScriptedPeer dropping([&](RawSocket& peer) {
    Welcome(peer);
    if (peer.ReadFrame()) ++callsSeen;
    peer.Close();  // drops the link without answering
  });
  Client client(dropping.Port());
  client.connection.Open();
  const std::string message = NetErrorOf([&] { client.Call("SetRentab", {Variant::Null()}); });
  EXPECT_NE(message.find("SetRentab"), std::string::npos) << message;
  EXPECT_EQ(callsSeen.load(), 1);
  EXPECT_EQ(dropping.Accepted(), 1);
}

TEST(NetConnection, RaisesWhenThePeerResetsTheLinkDuringTheSend) {
  // The peer reads only the start of a large call and resets the link, so the rest of the
  // send meets a closed socket.
  ScriptedPeer resetting([](RawSocket& peer) {
    Welcome(peer);
    char start[4];
    peer.ReadSome(start, sizeof start);
    peer.Reset();
  });
  Client client(resetting.Port());
  client.connection.Open();
  const Variant big = Variant::FromBytes(std::string(8 * 1024 * 1024, 'x'));
  EXPECT_THROW(client.Call("SetRentab", {big}), net::ENetError);
}

TEST(NetConnection, RefusesAMalformedAnswerAndClosesTheLink) {
  struct Case {
    const char* name;
    std::string reply;  // raw bytes sent in answer to the call
  };
  std::string map;
  net::AppendFrame(map, std::string("\xa0", 1));
  std::string otherId;
  net::AppendFrame(otherId, net::EncodeAnswer(999, 1));
  std::string welcomeAgain;
  net::AppendFrame(welcomeAgain, net::EncodeWelcome("x"));
  const Case cases[] = {
      {"map", map},
      {"answer to another call", otherId},
      {"welcome instead of an answer", welcomeAgain},
      {"frame over the client's limit", std::string("\x7f\xff\xff\xff", 4)},
      {"truncated frame", std::string("\x00\x00\x00\x09\x83", 5)},
  };
  for (const auto& c : cases) {
    ScriptedPeer peer([&](RawSocket& s) {
      Welcome(s);
      s.ReadFrame();
      s.Send(c.reply);
      s.PeerCloses(5s);
    });
    Client client(peer.Port());
    client.connection.SetCallTimeout(300ms);
    client.connection.Open();
    EXPECT_THROW(client.Call("GetSeq"), net::ENetError) << c.name;
    client.connection.Close();
  }
}

}  // namespace
