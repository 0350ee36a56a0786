#include "net/server_object.h"

namespace net {

ParamType::ParamType(std::initializer_list<rtl::VarType> accepted) : mask_(0) {
  for (rtl::VarType type : accepted) mask_ |= Bit(type);
}

ParamType ParamType::Any() {
  return ParamType(~0u);
}

std::string ParamType::Describe() const {
  if (mask_ == ~0u) return "qualquer valor";
  std::string text;
  for (unsigned t = 0; t <= static_cast<unsigned>(rtl::VarType::Array); ++t) {
    if ((mask_ & (1u << t)) == 0) continue;
    if (!text.empty()) text += " ou ";
    text += rtl::VarTypeName(static_cast<rtl::VarType>(t));
  }
  return text;
}

const MethodSpec* ServerObject::Find(const std::string& name) const {
  const auto it = methods_.find(name);
  return it == methods_.end() ? nullptr : &it->second;
}

void ServerObject::CheckArguments(const std::string& name, const MethodSpec& method,
                                  const rtl::VariantArray& args) {
  if (args.size() != method.params.size())
    throw EBadArguments(name + " espera " + std::to_string(method.params.size()) +
                        " argumento(s) e recebeu " + std::to_string(args.size()));
  for (size_t i = 0; i < args.size(); ++i) {
    if (!method.params[i].Accepts(args[i].Type()))
      throw EBadArguments(name + ": o argumento " + std::to_string(i + 1) + " deve ser " +
                          method.params[i].Describe() + ", recebeu " +
                          rtl::VarTypeName(args[i].Type()));
  }
}

void ServerObject::Expose(std::string name, std::vector<ParamType> params, MethodHandler handler) {
  methods_[std::move(name)] = MethodSpec{std::move(params), std::move(handler)};
}

}  // namespace net
