// The appserver program as an administrator runs it: its command line, import and export.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>

#include "child_process.h"
#include "net/connection.h"
#include "net/errors.h"
#include "ped06900/rdm_rentab.h"

namespace ped06900 {
namespace {

using testing::ChildProcess;
using ::testing::HasSubstr;
using testing::ReadFile;

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

class AppServerCliTest : public ::testing::Test {
 protected:
  Outcome Run(const std::vector<std::string>& args) {
    const std::string errFile = dir_.filePath("stderr.txt").toStdString();
    std::remove(errFile.c_str());
    ChildProcess child(APPSERVER_PATH, args, errFile);
    Outcome outcome;
    outcome.out = child.ReadAll();
    outcome.code = child.Wait();
    outcome.err = ReadFile(errFile);
    return outcome;
  }

  std::string Path(const char* name) { return dir_.filePath(name).toStdString(); }
  std::string Database() { return "sqlite:" + Path("rentab.db"); }

  void Write(const char* name, const std::string& text) {
    std::ofstream(Path(name), std::ios::binary) << text;
  }

  QTemporaryDir dir_;
};

TEST_F(AppServerCliTest, ABadCommandLineExitsWithCode2AndSaysWhy) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"--porta", "1"}, "Opção desconhecida: --porta"},
      {{"--listen", "127.0.0.1"}, "HOST:PORTA"},
      {{"--listen", "127.0.0.1:70000"}, "porta de --listen"},
      {{"--listen=300.0.0.1:2110"}, "Endereço inválido"},
      {{"--database", "postgresql://localhost/rentab"}, "PostgreSQL ainda não é suportado"},
      {{"--database", "rentab.db"}, "URL de banco de dados não reconhecida"},
      {{"--max-frame", "12k"}, "Valor inválido para --max-frame"},
      {{"--token"}, "Falta o valor da opção --token"},
      {{"--import", "a.csv", "--export", "b.csv"}, "não os dois"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = Run(c.args);
    EXPECT_EQ(outcome.code, 2) << c.args[0];
    EXPECT_THAT(outcome.err, HasSubstr(c.message)) << c.args[0];
    EXPECT_THAT(outcome.err, HasSubstr("--help")) << c.args[0];
  }
}

TEST_F(AppServerCliTest, HelpDescribesTheOptions) {
  const Outcome outcome = Run({"--help"});
  EXPECT_EQ(outcome.code, 0);
  for (const char* option : {"--listen", "--database", "--token", "--max-frame", "--import",
                             "--export", "127.0.0.1:2110", "rentabilidade/rentab.db"}) {
    EXPECT_THAT(outcome.out, HasSubstr(option));
  }
}

TEST_F(AppServerCliTest, ExportGivesBackWhatWasImported) {
  const std::string csv =
      "NRSEQRENT;VRPERCINIRENT;VRPERCFIMRENT;VRCORRENT;IDBLOQUEIAPED\n"
      "0000000001;0.1;10.005;16777215;S\n"
      "0000000002;20.000000000000004;30;0;N\n";
  Write("in.csv", csv);
  const Outcome imported = Run({"--database", Database(), "--import", Path("in.csv")});
  EXPECT_EQ(imported.code, 0) << imported.err;
  EXPECT_THAT(imported.out, HasSubstr("2 faixa(s) importada(s)"));
  const Outcome exported = Run({"--database=" + Database(), "--export=" + Path("out.csv")});
  EXPECT_EQ(exported.code, 0) << exported.err;
  EXPECT_EQ(ReadFile(Path("out.csv")), csv);
  // Exporting where no file can be written fails, and the good export stays as it was.
  ASSERT_TRUE(QDir(dir_.path()).mkdir("out.csv.parcial"));
  EXPECT_EQ(Run({"--database", Database(), "--export", Path("out.csv")}).code, 1);
  EXPECT_EQ(ReadFile(Path("out.csv")), csv);
}

TEST_F(AppServerCliTest, AFailedImportNamesTheLineAndStoresNothing) {
  Write("in.csv",
        "NRSEQRENT;VRPERCINIRENT;VRPERCFIMRENT;VRCORRENT;IDBLOQUEIAPED\n"
        "0000000001;10;20;255;S\n"
        "0000000002;15;30;255;X\n");
  const Outcome outcome = Run({"--database", Database(), "--import", Path("in.csv")});
  EXPECT_EQ(outcome.code, 1);
  EXPECT_THAT(outcome.err, HasSubstr("Linha 3: Bloqueia Pedido"));
  ASSERT_EQ(Run({"--database", Database(), "--export", Path("out.csv")}).code, 0);
  EXPECT_EQ(ReadFile(Path("out.csv")),
            "NRSEQRENT;VRPERCINIRENT;VRPERCFIMRENT;VRCORRENT;IDBLOQUEIAPED\n");
  EXPECT_EQ(Run({"--database", Database(), "--import", Path("missing.csv")}).code, 1);
}

TEST_F(AppServerCliTest, TheDefaultDatabaseLivesInTheUsersDataFolder) {
  const std::string data = Path("xdg");
  ASSERT_EQ(setenv("XDG_DATA_HOME", data.c_str(), 1), 0);
  const Outcome outcome = Run({"--export", Path("out.csv")});
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(outcome.code, 0) << outcome.err;
  EXPECT_TRUE(QFile::exists(QString::fromStdString(data + "/rentabilidade/rentab.db")));
}

TEST_F(AppServerCliTest, WithTokenOnlyClientsThatGiveItGetIn) {
  ChildProcess server(APPSERVER_PATH,
                      {"--listen", "127.0.0.1:0", "--database", Database(), "--token", "segredo"},
                      Path("stderr.txt"));
  const std::string started = server.ReadLine();
  const int port = std::atoi(started.c_str() + started.rfind(':', started.find(", banco")) + 1);
  ASSERT_GT(port, 0) << started;
  const auto connect = [port](std::optional<std::string> token) {
    net::TNetConnection connection;
    connection.SetServerName(kServerObjectName);
    connection.SetPort(port);
    connection.SetAccessToken(std::move(token));
    connection.Open();
    return connection.AppServer().Call("GetSeq");
  };
  EXPECT_THROW(connect(std::nullopt), net::ERefused);
  EXPECT_THROW(connect("errado"), net::ERefused);
  EXPECT_NO_THROW(connect("segredo"));
}

// A running server owns its database: a second server and an import are refused (the import
// storing nothing), an export still reads it, and once the server is gone an import goes in.
TEST_F(AppServerCliTest, ARunningServerOwnsItsDatabase) {
  Write("in.csv",
        "NRSEQRENT;VRPERCINIRENT;VRPERCFIMRENT;VRCORRENT;IDBLOQUEIAPED\n"
        "0000000001;10;20;255;S\n");
  {
    ChildProcess server(APPSERVER_PATH, {"--listen", "127.0.0.1:0", "--database", Database()},
                        Path("server.txt"));
    ASSERT_THAT(server.ReadLine(), HasSubstr("banco"));

    const Outcome second = Run({"--listen", "127.0.0.1:0", "--database", Database()});
    EXPECT_EQ(second.code, 1);
    EXPECT_THAT(second.err, HasSubstr("Não é possível iniciar o servidor"));
    EXPECT_THAT(second.err, HasSubstr("em uso por um servidor em execução"));

    const Outcome imported = Run({"--database", Database(), "--import", Path("in.csv")});
    EXPECT_EQ(imported.code, 1);
    EXPECT_THAT(imported.err, HasSubstr("Não é possível importar"));

    EXPECT_EQ(Run({"--database", Database(), "--export", Path("out.csv")}).code, 0);
    EXPECT_EQ(ReadFile(Path("out.csv")),
              "NRSEQRENT;VRPERCINIRENT;VRPERCFIMRENT;VRCORRENT;IDBLOQUEIAPED\n");
  }
  const Outcome imported = Run({"--database", Database(), "--import", Path("in.csv")});
  EXPECT_EQ(imported.code, 0) << imported.err;
}

}  // namespace
}  // namespace ped06900
