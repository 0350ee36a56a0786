#include "client/server_config.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "rtl/convert.h"

namespace client {
namespace {

int ParsePort(std::string_view text, const std::string& source) {
  const std::optional<int32_t> port = rtl::TryStrToInt(text);
  if (!port || *port < 1 || *port > 65535) {
    throw ConfigError("Porta do servidor de aplicação inválida em " + source + ": \"" +
                      std::string(text) + "\" (use um número de 1 a 65535).");
  }
  return *port;
}

std::optional<ServerAddress> ReadConfigFile(const std::string& path) {
  if (path.empty() || !QFileInfo::exists(QString::fromStdString(path))) return std::nullopt;
  QSettings settings(QString::fromStdString(path), QSettings::IniFormat);
  if (settings.status() != QSettings::NoError) {
    throw ConfigError("Não foi possível ler o arquivo de configuração " + path + ".");
  }
  const QString host = settings.value("server/host").toString().trimmed();
  const QVariant port = settings.value("server/port");
  if (host.isEmpty() && !port.isValid()) return std::nullopt;
  const std::string source = "o arquivo " + path;
  if (host.isEmpty()) {
    throw ConfigError("Servidor de aplicação não informado em " + source + " (server/host).");
  }
  return ServerAddress{host.toStdString(),
                       port.isValid() ? ParsePort(port.toString().trimmed().toStdString(), source)
                                      : kDefaultServerPort};
}

}  // namespace

ServerAddress ParseServerAddress(std::string_view text, const std::string& source) {
  std::string_view host;
  std::string_view port;
  if (text.starts_with('[')) {
    const size_t close = text.find("]:");
    if (close != std::string_view::npos) {
      host = text.substr(1, close - 1);
      port = text.substr(close + 2);
    }
  } else if (const size_t colon = text.rfind(':'); colon != std::string_view::npos) {
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
  }
  if (host.empty() || host.find_first_of(" \t") != std::string_view::npos) {
    throw ConfigError("Servidor de aplicação inválido em " + source + ": \"" + std::string(text) +
                      "\" (use HOST:PORTA).");
  }
  return ServerAddress{std::string(host), ParsePort(port, source)};
}

ServerAddress ResolveServerAddress(const ServerSources& sources) {
  if (sources.commandLine) return ParseServerAddress(*sources.commandLine, "--server");
  if (sources.environment) {
    return ParseServerAddress(*sources.environment, kServerEnvironmentVariable);
  }
  if (std::optional<ServerAddress> fromFile = ReadConfigFile(sources.configFile)) {
    return *fromFile;
  }
  return ServerAddress{kDefaultServerHost, kDefaultServerPort};
}

std::string DefaultConfigFilePath() {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return QDir(base).filePath("rentabilidade/host.conf").toStdString();
}

}  // namespace client
