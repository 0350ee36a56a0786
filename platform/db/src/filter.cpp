#include "filter.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <string>

#include "db/dataset.h"
#include "rtl/convert.h"

namespace db {
namespace {

enum class Op { Eq, Ne, Lt, Gt, Le, Ge };

template <typename T>
bool Apply(Op op, const T& a, const T& b) {
  switch (op) {
    case Op::Eq:
      return a == b;
    case Op::Ne:
      return !(a == b);
    case Op::Lt:
      return a < b;
    case Op::Gt:
      return b < a;
    case Op::Le:
      return a <= b;
    case Op::Ge:
      return b <= a;
  }
  return false;
}

// The operator seen from the other side: "7 < X" is "X > 7".
Op Mirror(Op op) {
  switch (op) {
    case Op::Lt:
      return Op::Gt;
    case Op::Gt:
      return Op::Lt;
    case Op::Le:
      return Op::Ge;
    case Op::Ge:
      return Op::Le;
    default:
      return op;
  }
}

std::optional<double> NumberFromText(std::string_view text) {
  if (auto value = rtl::TryStrToFloat(text, rtl::FormatSettings::Invariant())) return value;
  return rtl::TryStrToFloat(text, rtl::DefaultFormatSettings());
}

class Comparison : public FilterExpression {
 public:
  Comparison(const FieldDef& field, int index, Op op, std::string literal, bool quoted,
             std::optional<double> number)
      : type_(field.type),
        index_(index),
        op_(op),
        literal_(std::move(literal)),
        quoted_(quoted),
        number_(number.value_or(0)) {}

  bool Matches(const Row& row) const override {
    const rtl::Variant& value = row[index_];
    if (value.IsMissing()) return false;
    if (type_ != FieldType::String) return Apply(op_, value.AsDouble(), number_);
    const std::string& text = value.StringRef();
    if (!quoted_) {
      // An unquoted number against a key such as "0000000007" compares the numbers.
      if (auto number = rtl::TryStrToFloat(text, rtl::FormatSettings::Invariant())) {
        return Apply(op_, *number, number_);
      }
    }
    return Apply(op_, std::string_view(text), std::string_view(literal_));
  }

 private:
  FieldType type_;
  int index_;
  Op op_;
  std::string literal_;
  bool quoted_;
  double number_;
};

class Junction : public FilterExpression {
 public:
  Junction(bool all, std::vector<std::unique_ptr<FilterExpression>> parts)
      : all_(all), parts_(std::move(parts)) {}

  bool Matches(const Row& row) const override {
    for (const auto& part : parts_) {
      if (part->Matches(row) != all_) return !all_;
    }
    return all_;
  }

 private:
  bool all_;  // AND when true, OR when false
  std::vector<std::unique_ptr<FilterExpression>> parts_;
};

class Negation : public FilterExpression {
 public:
  explicit Negation(std::unique_ptr<FilterExpression> inner) : inner_(std::move(inner)) {}
  bool Matches(const Row& row) const override { return !inner_->Matches(row); }

 private:
  std::unique_ptr<FilterExpression> inner_;
};

enum class TokenKind { End, Name, Number, Text, Op, Open, Close, And, Or, Not };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;  // name, number as written, or text without quotes
  Op op = Op::Eq;
};

class Parser {
 public:
  static constexpr int kMaxDepth = 64;

  Parser(std::string_view text, const std::vector<FieldDef>& fields)
      : text_(text), fields_(fields) {
    Advance();
  }

  std::unique_ptr<FilterExpression> Parse() {
    auto expression = Expression(0);
    if (token_.kind != TokenKind::End) Fail("texto inesperado depois da expressão");
    return expression;
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const {
    throw EDatabaseError("Filtro inválido \"" + std::string(text_) + "\": " + why + ".");
  }

  std::unique_ptr<FilterExpression> Expression(int depth) {
    return Chain(depth, TokenKind::Or, &Parser::Term);
  }
  std::unique_ptr<FilterExpression> Term(int depth) {
    return Chain(depth, TokenKind::And, &Parser::Factor);
  }

  std::unique_ptr<FilterExpression> Chain(int depth, TokenKind joiner,
                                          std::unique_ptr<FilterExpression> (Parser::*part)(int)) {
    std::vector<std::unique_ptr<FilterExpression>> parts;
    parts.push_back((this->*part)(depth));
    while (token_.kind == joiner) {
      Advance();
      parts.push_back((this->*part)(depth));
    }
    if (parts.size() == 1) return std::move(parts.front());
    return std::make_unique<Junction>(joiner == TokenKind::And, std::move(parts));
  }

  std::unique_ptr<FilterExpression> Factor(int depth) {
    if (depth >= kMaxDepth) Fail("parênteses aninhados demais");
    if (token_.kind == TokenKind::Not) {
      Advance();
      return std::make_unique<Negation>(Factor(depth + 1));
    }
    if (token_.kind == TokenKind::Open) {
      Advance();
      auto inner = Expression(depth + 1);
      if (token_.kind != TokenKind::Close) Fail("falta fechar um parêntese");
      Advance();
      return inner;
    }
    Token left = Take("esperava um campo ou um valor");
    if (token_.kind != TokenKind::Op) Fail("esperava um operador de comparação");
    Op op = token_.op;
    Advance();
    Token right = Take("esperava um valor depois do operador");
    if (left.kind != TokenKind::Name) {
      std::swap(left, right);
      op = Mirror(op);
    }
    if (left.kind != TokenKind::Name || right.kind == TokenKind::Name) {
      Fail("cada comparação junta um campo e um valor");
    }
    return MakeComparison(left.text, op, right);
  }

  Token Take(const char* expectation) {
    if (token_.kind != TokenKind::Name && token_.kind != TokenKind::Number &&
        token_.kind != TokenKind::Text) {
      Fail(expectation);
    }
    Token taken = std::move(token_);
    Advance();
    return taken;
  }

  std::unique_ptr<FilterExpression> MakeComparison(const std::string& name, Op op,
                                                   const Token& literal) {
    for (size_t i = 0; i < fields_.size(); ++i) {
      const FieldDef& field = fields_[i];
      if (field.name.size() != name.size() ||
          !std::equal(name.begin(), name.end(), field.name.begin(), [](char a, char b) {
            return std::toupper(static_cast<unsigned char>(a)) ==
                   std::toupper(static_cast<unsigned char>(b));
          })) {
        continue;
      }
      const bool quoted = literal.kind == TokenKind::Text;
      std::optional<double> number = NumberFromText(literal.text);
      if (field.type != FieldType::String && !number) {
        Fail("o campo '" + field.name + "' é numérico e '" + literal.text + "' não é um número");
      }
      return std::make_unique<Comparison>(field, static_cast<int>(i), op, literal.text, quoted,
                                          number);
    }
    Fail("campo '" + name + "' não encontrado");
  }

  void Advance() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    token_ = Token{};
    if (pos_ == text_.size()) return;
    const char c = text_[pos_];
    auto isDigit = [](char d) { return d >= '0' && d <= '9'; };
    if (c == '(' || c == ')') {
      token_.kind = c == '(' ? TokenKind::Open : TokenKind::Close;
      ++pos_;
    } else if (c == '=' || c == '<' || c == '>') {
      ReadOperator();
    } else if (c == '\'' || c == '"') {
      ReadQuoted(c);
    } else if (c == '[') {
      const size_t close = text_.find(']', pos_);
      if (close == std::string_view::npos || close == pos_ + 1)
        Fail("nome de campo entre [] mal formado");
      token_.kind = TokenKind::Name;
      token_.text = std::string(text_.substr(pos_ + 1, close - pos_ - 1));
      pos_ = close + 1;
    } else if (isDigit(c) || ((c == '-' || c == '+' || c == '.') && pos_ + 1 < text_.size() &&
                              (isDigit(text_[pos_ + 1]) || text_[pos_ + 1] == '.'))) {
      ReadNumber();
    } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      const size_t start = pos_;
      while (pos_ < text_.size() &&
             (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_')) {
        ++pos_;
      }
      token_.text = std::string(text_.substr(start, pos_ - start));
      std::string upper = token_.text;
      for (char& u : upper) u = static_cast<char>(std::toupper(static_cast<unsigned char>(u)));
      token_.kind = upper == "AND"   ? TokenKind::And
                    : upper == "OR"  ? TokenKind::Or
                    : upper == "NOT" ? TokenKind::Not
                                     : TokenKind::Name;
    } else {
      Fail(std::string("caractere inesperado '") + c + "'");
    }
  }

  void ReadOperator() {
    token_.kind = TokenKind::Op;
    const std::string_view rest = text_.substr(pos_);
    struct Spelling {
      std::string_view text;
      Op op;
    };
    static constexpr Spelling kSpellings[] = {{"<>", Op::Ne}, {"<=", Op::Le}, {">=", Op::Ge},
                                              {"=", Op::Eq},  {"<", Op::Lt},  {">", Op::Gt}};
    for (const Spelling& spelling : kSpellings) {
      if (rest.substr(0, spelling.text.size()) == spelling.text) {
        token_.op = spelling.op;
        pos_ += spelling.text.size();
        return;
      }
    }
  }

  void ReadQuoted(char quote) {
    token_.kind = TokenKind::Text;
    ++pos_;
    while (true) {
      if (pos_ >= text_.size()) Fail("texto entre aspas sem fim");
      if (text_[pos_] == quote) {
        // A doubled quote stands for the quote itself.
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == quote) {
          token_.text += quote;
          pos_ += 2;
          continue;
        }
        ++pos_;
        return;
      }
      token_.text += text_[pos_++];
    }
  }

  void ReadNumber() {
    const size_t start = pos_;
    if (text_[pos_] == '-' || text_[pos_] == '+') ++pos_;
    while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) ||
                                   text_[pos_] == '.' || text_[pos_] == ',' ||
                                   ((text_[pos_] == '-' || text_[pos_] == '+') &&
                                    (text_[pos_ - 1] == 'e' || text_[pos_ - 1] == 'E')))) {
      ++pos_;
    }
    token_.kind = TokenKind::Number;
    token_.text = std::string(text_.substr(start, pos_ - start));
    if (!NumberFromText(token_.text)) Fail("número mal formado '" + token_.text + "'");
  }

  std::string_view text_;
  const std::vector<FieldDef>& fields_;
  size_t pos_ = 0;
  Token token_;
};

}  // namespace

std::unique_ptr<FilterExpression> FilterExpression::Compile(std::string_view text,
                                                            const std::vector<FieldDef>& fields) {
  return Parser(text, fields).Parse();
}

}  // namespace db
