// hostclient: the desktop client that hosts the screen modules.
//   hostclient [--server HOST:PORT] [--modules FILE] [--config FILE] [--open CODE]...
//              [--screenshot FILE.png]
// The server address comes from --server, RENTAB_SERVER, the configuration file or the default
// (server_config.h). --open opens modules at start; --screenshot then writes a PNG of the main
// window (with any modal window drawn over it) and exits.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <optional>

#include "client/module_list.h"
#include "client/module_loader.h"
#include "client/server_config.h"
#include "main_window.h"
#include "orv/valmora.h"
#include "rtl/exceptions.h"
#include "ui/application.h"

namespace {

struct Options {
  std::optional<std::string> server;
  std::string modules;
  std::string config;
  QStringList open;
  QString screenshot;
};

Options ParseOptions(const QApplication& app) {
  QCommandLineParser parser;
  parser.setApplicationDescription("Cliente de Rentabilidade");
  parser.addHelpOption();
  const QCommandLineOption server("server", "Servidor de aplicação (HOST:PORTA).", "HOST:PORTA");
  const QCommandLineOption modules("modules", "Lista de módulos (padrão: modules.conf).",
                                   "ARQUIVO");
  const QCommandLineOption config("config", "Arquivo de configuração.", "ARQUIVO");
  const QCommandLineOption open("open", "Abre o módulo ao iniciar.", "CÓDIGO");
  const QCommandLineOption screenshot("screenshot", "Grava a janela em PNG e sai.", "ARQUIVO");
  parser.addOptions({server, modules, config, open, screenshot});
  parser.process(app);

  Options options;
  if (parser.isSet(server)) options.server = parser.value(server).toStdString();
  options.modules = parser.isSet(modules)
                        ? parser.value(modules).toStdString()
                        : QDir(app.applicationDirPath()).filePath("modules.conf").toStdString();
  options.config =
      parser.isSet(config) ? parser.value(config).toStdString() : client::DefaultConfigFilePath();
  options.open = parser.values(open);
  options.screenshot = parser.value(screenshot);
  return options;
}

// The main window as the user sees it, with the modal window in front drawn over it.
QImage Snapshot(QWidget* mainWindow) {
  QImage image = mainWindow->grab().toImage();
  QWidget* modal = QApplication::activeModalWidget();
  if (modal && modal != mainWindow) {
    QPainter painter(&image);
    const QImage top = modal->grab().toImage();
    painter.drawImage((image.width() - top.width()) / 2, (image.height() - top.height()) / 2, top);
  }
  return image;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("rentabilidade");
  const Options options = ParseOptions(app);

  std::vector<client::ModuleEntry> modules;
  try {
    const QByteArray environment = qgetenv(client::kServerEnvironmentVariable);
    const client::ServerAddress address = client::ResolveServerAddress(
        {options.server,
         environment.isEmpty() ? std::nullopt
                               : std::optional<std::string>(environment.toStdString()),
         options.config});
    orv::SetWebServer(address.host, address.port);
    modules = client::ReadModuleList(options.modules);
  } catch (const rtl::Exception& error) {
    std::fprintf(stderr, "hostclient: %s\n", error.what());
    return 2;
  }

  int exitCode = 0;
  {
    client::ModuleLoader loader(client::HostPackages());
    auto* window = ui::Application().CreateForm<client::MainWindow>(nullptr, &loader, modules);
    ui::Application().SetMainForm(window);
    window->Show();
    window->StartServerProbe();

    QTimer::singleShot(0, [&] {
      for (const QString& code : options.open) {
        if (!window->OpenModuleSafely(code.toStdString())) exitCode = 1;
      }
    });
    if (!options.screenshot.isEmpty()) {
      // Taken once the screens opened at start have shown and painted.
      QTimer::singleShot(400, [&] {
        QWidget* top = window->Widget()->window();
        if (!Snapshot(top).save(options.screenshot, "PNG")) {
          std::fprintf(stderr, "hostclient: não foi possível gravar %s\n",
                       options.screenshot.toLocal8Bit().constData());
          exitCode = 1;
        }
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != top) {
          modal->close();
        }
        QTimer::singleShot(0, [] { ui::Application().Terminate(); });
      });
    }
    ui::Application().Run();
    // Screens belong to the modules' code: destroy them before the modules are unloaded.
    ui::Application().Shutdown();
  }
  return exitCode;
}
