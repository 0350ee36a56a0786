#include "client/server_probe.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTcpServer>

#include "orv/valmora.h"

namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "hostcore_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

TEST(ServerProbe, ReportsWhetherTheServerAcceptsConnectionsAsItChanges) {
  App();
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  orv::SetWebServer("127.0.0.1", server.serverPort());

  client::ServerProbe probe(/*intervalMs=*/50, /*timeoutMs=*/1000);
  QSignalSpy changes(&probe, &client::ServerProbe::Changed);
  probe.Start();
  ASSERT_TRUE(changes.wait(5000));
  EXPECT_TRUE(changes.takeFirst().at(0).toBool());
  EXPECT_TRUE(probe.Answering());

  server.close();  // the port now refuses connections
  ASSERT_TRUE(changes.wait(5000));
  EXPECT_FALSE(changes.takeFirst().at(0).toBool());
  EXPECT_FALSE(probe.Answering());
  // Further failed attempts report nothing new.
  EXPECT_FALSE(changes.wait(300));
}

}  // namespace
