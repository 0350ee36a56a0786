#include "ped06900/range_csv.h"

#include <charconv>
#include <string>
#include <string_view>
#include <vector>

#include "ped06900/range_rules.h"

namespace ped06900 {
namespace {

constexpr std::string_view kHeader =
    "NRSEQRENT;VRPERCINIRENT;VRPERCFIMRENT;VRCORRENT;IDBLOQUEIAPED";
constexpr const char* kFieldNames[] = {"NRSEQRENT", "VRPERCINIRENT", "VRPERCFIMRENT", "VRCORRENT",
                                       "IDBLOQUEIAPED"};

std::string Number(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string LinePrefix(size_t line) {
  return "Linha " + std::to_string(line) + ": ";
}

std::vector<std::string_view> Split(std::string_view line) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t semi; (semi = line.find(';', start)) != std::string_view::npos; start = semi + 1) {
    parts.push_back(line.substr(start, semi - start));
  }
  parts.push_back(line.substr(start));
  return parts;
}

rtl::Variant ParseNumber(std::string_view text, size_t field, size_t line) {
  if (text.empty()) return rtl::Variant::Null();
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
    throw CsvError(LinePrefix(line) + "número inválido no campo " + kFieldNames[field] + ": \"" +
                   std::string(text) + "\".");
  }
  return value;
}

rtl::VariantArray ParseRow(std::string_view text, size_t line) {
  const std::vector<std::string_view> parts = Split(text);
  if (parts.size() != kRangeFieldCount) {
    throw CsvError(LinePrefix(line) + "são esperados 5 valores separados por ';', vieram " +
                   std::to_string(parts.size()) + ".");
  }
  const auto textValue = [](std::string_view value) {
    return value.empty() ? rtl::Variant::Null() : rtl::Variant(value);
  };
  return {textValue(parts[kKey]), ParseNumber(parts[kStart], kStart, line),
          ParseNumber(parts[kEnd], kEnd, line), ParseNumber(parts[kColour], kColour, line),
          textValue(parts[kFlag])};
}

}  // namespace

size_t ExportRangesCsv(RangeStore& store, std::ostream& out) {
  const std::vector<RangeRecord> ranges = store.All();
  out << kHeader << '\n';
  for (const RangeRecord& range : ranges) {
    out << range.key << ';' << Number(range.start) << ';' << Number(range.end) << ';'
        << Number(range.colour) << ';' << range.flag << '\n';
  }
  out.flush();
  if (!out) throw CsvError("Não foi possível gravar o arquivo de exportação.");
  return ranges.size();
}

size_t ImportRangesCsv(RangeStore& store, std::istream& in) {
  std::vector<RangeChange> changes;
  std::vector<size_t> lines;  // the file line of each change
  std::string text;
  size_t line = 0;
  bool headerSeen = false;
  while (std::getline(in, text)) {
    ++line;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (line == 1 && text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);  // a UTF-8 mark
    if (text.empty()) continue;
    if (!headerSeen) {
      if (text != kHeader) {
        throw CsvError(LinePrefix(line) + "o cabeçalho deve ser " + std::string(kHeader) + ".");
      }
      headerSeen = true;
      continue;
    }
    changes.push_back({RangeChange::Kind::Insert, {}, ParseRow(text, line)});
    lines.push_back(line);
  }
  if (in.bad()) throw CsvError("Não foi possível ler o arquivo de importação.");
  if (changes.empty()) throw CsvError("O arquivo não tem nenhum intervalo para importar.");
  try {
    ApplyRangeChanges(store, changes);
  } catch (const RangeRefused& refused) {
    throw CsvError(LinePrefix(lines[refused.Position()]) + refused.Message());
  }
  return changes.size();
}

}  // namespace ped06900
