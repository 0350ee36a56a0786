#include <string>

#include "orv/consiste.h"

namespace orv {
namespace {

std::string WithContext(std::string message, int context) {
  if (context != 0) message += " [" + std::to_string(context) + "]";
  return message;
}

bool IsStatus(const rtl::Variant& value) {
  return value.Type() == rtl::VarType::Int32 || value.Type() == rtl::VarType::Int64;
}

}  // namespace

rtl::Variant CheckResultServ(const rtl::Variant& result, bool raiseOnFailure, int context) {
  const bool isEnvelope = result.Type() == rtl::VarType::Array && result.AsArray().size() == 2 &&
                          IsStatus(result.AsArray()[0]);
  if (!isEnvelope) {
    if (!raiseOnFailure) return rtl::Variant::Null();
    throw EServerError(
        -1, WithContext("Resposta inválida do servidor de aplicação: " + result.Describe() + ".",
                        context));
  }
  const int64_t status = result.AsArray()[0].AsInt64();
  const rtl::Variant& payload = result.AsArray()[1];
  if (status == 0) return payload;
  if (!raiseOnFailure) return rtl::Variant::Null();
  std::string message =
      payload.Type() == rtl::VarType::String && !payload.StringRef().empty()
          ? payload.StringRef()
          : "O servidor de aplicação recusou a operação (código " + std::to_string(status) + ").";
  throw EServerError(status, WithContext(std::move(message), context));
}

}  // namespace orv
