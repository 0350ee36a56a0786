// The host program end to end, run as the user runs it (offscreen).
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct HostRun {
  int exitCode;
  QString errors;
};

HostRun RunHost(const QStringList& arguments) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.remove("RENTAB_SERVER");
  process.setProcessEnvironment(environment);
  process.start(HOSTCLIENT_PATH, QStringList{"--modules", DEMO_MODULES} + arguments);
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
    return {-1, "timeout"};
  }
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromLocal8Bit(process.readAllStandardError())};
}

class HostClient : public testing::Test {
 protected:
  QString Png(const char* name) { return dir.filePath(name); }
  QTemporaryDir dir;
};

TEST_F(HostClient, ScreenshotOfTheMainWindowWithAnOpenedModule) {
  const QString main = Png("main.png");
  const HostRun plain = RunHost({"--server", "127.0.0.1:1", "--screenshot", main});
  ASSERT_EQ(plain.exitCode, 0) << plain.errors.toStdString();
  const QImage mainImage(main);
  ASSERT_FALSE(mainImage.isNull());

  const QString withModule = Png("module.png");
  const HostRun opened =
      RunHost({"--server", "127.0.0.1:1", "--open", "DEMO", "--screenshot", withModule});
  ASSERT_EQ(opened.exitCode, 0) << opened.errors.toStdString();
  const QImage moduleImage(withModule);
  ASSERT_EQ(moduleImage.size(), mainImage.size());
  EXPECT_NE(moduleImage, mainImage) << "the module's screen shows inside the main window";
}

TEST_F(HostClient, AModuleThatCannotLoadIsReportedAndTheExitCodeSaysSo) {
  const HostRun run = RunHost({"--open", "FALTA", "--screenshot", Png("falta.png")});
  EXPECT_EQ(run.exitCode, 1);
}

TEST_F(HostClient, ABadServerAddressStopsTheStartWithAClearMessage) {
  const HostRun run = RunHost({"--server", "semporta"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(run.errors.contains("--server")) << run.errors.toStdString();
}

}  // namespace
