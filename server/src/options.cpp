#include "appserver/options.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string_view>
#include <thread>

namespace appserver {
namespace {

template <typename Number>
Number ParseNumber(std::string_view text, Number min, Number max, const std::string& option) {
  Number value{};
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
      value < min || value > max) {
    throw UsageError("Valor inválido para " + option + ": \"" + std::string(text) +
                     "\" (esperado um número inteiro de " + std::to_string(min) + " a " +
                     std::to_string(max) + ").");
  }
  return value;
}

bool IsIpv4(std::string_view text) {
  int parts = 0;
  size_t start = 0;
  while (true) {
    const size_t dot = text.find('.', start);
    const std::string_view part =
        text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
    unsigned value = 0;
    const auto result = std::from_chars(part.data(), part.data() + part.size(), value);
    if (part.empty() || part.size() > 3 || result.ptr != part.data() + part.size() || value > 255) {
      return false;
    }
    ++parts;
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  return parts == 4;
}

void ParseListen(const std::string& value, ServerOptions& options) {
  const size_t colon = value.rfind(':');
  if (colon == std::string::npos) {
    throw UsageError("Valor inválido para --listen: \"" + value + "\" (esperado HOST:PORTA).");
  }
  std::string host = value.substr(0, colon);
  if (host == "localhost") host = "127.0.0.1";
  if (!IsIpv4(host)) {
    throw UsageError("Endereço inválido em --listen: \"" + host +
                     "\" (esperado um endereço IPv4, como 127.0.0.1 ou 0.0.0.0).");
  }
  options.address = host;
  options.port = ParseNumber<uint16_t>(value.substr(colon + 1), 0, 65535, "a porta de --listen");
}

void ParseDatabase(const std::string& url, ServerOptions& options) {
  if (url.starts_with("sqlite:")) {
    options.databasePath = url.substr(7);
    if (options.databasePath.empty()) {
      throw UsageError("Falta o caminho do arquivo em --database sqlite:CAMINHO.");
    }
    options.defaultDatabase = false;
  } else if (url.starts_with("postgresql://") || url.starts_with("postgres://")) {
    throw UsageError(
        "O banco PostgreSQL ainda não é suportado por este servidor; use --database "
        "sqlite:CAMINHO.");
  } else {
    throw UsageError("URL de banco de dados não reconhecida: \"" + url +
                     "\" (esperado sqlite:CAMINHO).");
  }
}

}  // namespace

std::string DefaultDatabasePath() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg == '/') return std::string(xdg) + "/rentabilidade/rentab.db";
  const char* home = std::getenv("HOME");
  if (home && *home == '/') return std::string(home) + "/.local/share/rentabilidade/rentab.db";
  return "data/rentab.db";
}

int DefaultWorkers() {
  return std::max(2, static_cast<int>(std::thread::hardware_concurrency()));
}

ServerOptions ParseOptions(const std::vector<std::string>& args) {
  ServerOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (const size_t eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    if (name == "--help" || name == "-h") {
      if (value) throw UsageError("A opção --help não recebe valor.");
      options.help = true;
      continue;
    }
    const bool known = name == "--listen" || name == "--database" || name == "--token" ||
                       name == "--max-frame" || name == "--workers" || name == "--import" ||
                       name == "--export";
    if (!known) throw UsageError("Opção desconhecida: " + name);
    if (!value) {
      if (i + 1 == args.size()) throw UsageError("Falta o valor da opção " + name + ".");
      value = args[++i];
    }
    if (name == "--listen") {
      ParseListen(*value, options);
    } else if (name == "--database") {
      ParseDatabase(*value, options);
    } else if (name == "--token") {
      if (value->empty()) throw UsageError("O valor de --token não pode ser vazio.");
      options.token = *value;
    } else if (name == "--max-frame") {
      options.maxFrame = ParseNumber<uint32_t>(*value, 1024, 1u << 30, "--max-frame");
    } else if (name == "--workers") {
      options.workers = ParseNumber<int>(*value, 1, 256, "--workers");
    } else if (value->empty()) {
      throw UsageError("Falta o arquivo da opção " + name + ".");
    } else if (name == "--import") {
      options.importFile = *value;
    } else {
      options.exportFile = *value;
    }
  }
  if (options.importFile && options.exportFile) {
    throw UsageError("Use --import ou --export, não os dois ao mesmo tempo.");
  }
  if (options.defaultDatabase) options.databasePath = DefaultDatabasePath();
  return options;
}

std::string HelpText() {
  return R"(Uso: appserver [opções]

Servidor de aplicação da tabela de faixas de rentabilidade (objeto ped06900.rdmRentab).

Opções:
  --listen HOST:PORTA   endereço IPv4 e porta em que o servidor escuta
                        (padrão 127.0.0.1:2110; porta 0 escolhe uma porta livre)
  --database URL        banco de dados: sqlite:CAMINHO (um arquivo SQLite, criado com a
                        tabela na primeira execução; a pasta deve existir). Padrão:
                        $XDG_DATA_HOME/rentabilidade/rentab.db, ou
                        $HOME/.local/share/rentabilidade/rentab.db, ou ./data/rentab.db
                        (a pasta padrão é criada). postgresql://... ainda não é suportado.
  --token TOKEN         exige este token de acesso de todo cliente (visível na lista de
                        processos; proteja a máquina)
  --max-frame BYTES     maior mensagem aceita de um cliente (padrão 16777216)
  --workers N           quantas chamadas são atendidas ao mesmo tempo (padrão: o número
                        de processadores, no mínimo 2)
  --import ARQUIVO.csv  inclui as faixas do arquivo (com as mesmas regras de SetRentab, tudo
                        ou nada; um erro indica a linha) e termina; recusado enquanto um
                        servidor usa o banco
  --export ARQUIVO.csv  grava todas as faixas no arquivo e termina (também com o servidor
                        em execução)
  --help                mostra esta ajuda

Arquivo CSV: UTF-8, separador ';', primeira linha
  NRSEQRENT;VRPERCINIRENT;VRPERCFIMRENT;VRCORRENT;IDBLOQUEIAPED
números com '.' na forma mais curta que relê o mesmo valor (exportar e importar de novo dá
exatamente os mesmos números); valor vazio = não informado.

Um servidor em execução é o único a gravar o seu banco (trava em CAMINHO.lock): um segundo
servidor no mesmo arquivo é recusado; não altere o arquivo com outras ferramentas enquanto ele
estiver em uso.

Códigos de saída: 0 sucesso, 1 falha na execução, 2 linha de comando inválida.
SIGTERM ou SIGINT param o servidor depois de terminar as chamadas em andamento.
)";
}

}  // namespace appserver
