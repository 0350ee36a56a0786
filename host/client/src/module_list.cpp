#include "client/module_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <set>
#include <sstream>

namespace client {
namespace {

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

}  // namespace

std::vector<ModuleEntry> ParseModuleList(const std::string& text, const std::string& folder,
                                         const std::string& source) {
  std::vector<ModuleEntry> entries;
  std::set<std::string> codes;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed.starts_with('#')) continue;
    std::vector<std::string> parts;
    std::istringstream fields(trimmed);
    for (std::string part; std::getline(fields, part, '|');) parts.push_back(Trim(part));
    const std::string where = source + ", linha " + std::to_string(number);
    if (parts.size() != 3 || parts[0].empty() || parts[1].empty() || parts[2].empty()) {
      throw ModuleListError("Linha inválida na lista de módulos (" + where +
                            "): use CÓDIGO|Título|biblioteca.");
    }
    if (!codes.insert(parts[0]).second) {
      throw ModuleListError("Módulo " + parts[0] + " repetido na lista de módulos (" + where +
                            ").");
    }
    const QString library =
        QDir(QString::fromStdString(folder)).absoluteFilePath(QString::fromStdString(parts[2]));
    entries.push_back({parts[0], parts[1], QDir::cleanPath(library).toStdString()});
  }
  return entries;
}

std::vector<ModuleEntry> ReadModuleList(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.exists()) return {};
  if (!file.open(QIODevice::ReadOnly)) {
    throw ModuleListError("Não foi possível ler a lista de módulos " + path + ".");
  }
  const QString folder = QFileInfo(file).absolutePath();
  return ParseModuleList(file.readAll().toStdString(), folder.toStdString(), path);
}

}  // namespace client
