#pragma once
// ServerObject: the base of an object served by ObjectServer. A subclass declares its methods in
// its constructor with Expose(name, parameters, handler); the server checks a call's argument
// count and types against the parameters before the handler runs, and answers "refused" with
// "no-such-method" or "bad-arguments" on its own.
//
// A handler receives the arguments (already checked) and returns the answer. It may raise
// EBadArguments for a value the declared types cannot rule out (the call is refused with
// "bad-arguments" and the exception's message); anything else it raises is answered as
// "internal" with a generic message, and the real message goes to the server's log.
//
// Each worker thread of the server makes its own instance through the factory registered under
// the object's name, and only that thread ever uses it, so an instance may keep per-thread
// resources (a database connection) without locking.

#include <functional>
#include <initializer_list>
#include <string>
#include <unordered_map>
#include <vector>

#include "rtl/exceptions.h"
#include "rtl/variant.h"

namespace net {

class EBadArguments : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// The types one parameter accepts.
class ParamType {
 public:
  ParamType(std::initializer_list<rtl::VarType> accepted);
  static ParamType Any();
  bool Accepts(rtl::VarType type) const { return (mask_ & Bit(type)) != 0; }
  std::string Describe() const;  // e.g. "Double" or "Int32 ou Int64"

 private:
  explicit ParamType(unsigned mask) : mask_(mask) {}
  static unsigned Bit(rtl::VarType type) { return 1u << static_cast<unsigned>(type); }
  unsigned mask_;
};

using MethodHandler = std::function<rtl::Variant(const rtl::VariantArray& args)>;

struct MethodSpec {
  std::vector<ParamType> params;
  MethodHandler handler;
};

class ServerObject {
 public:
  virtual ~ServerObject() = default;

  // Null when the object has no method of that name.
  const MethodSpec* Find(const std::string& name) const;

  // Checks the count and types of args against the method; raises EBadArguments naming the
  // first mismatch.
  static void CheckArguments(const std::string& name, const MethodSpec& method,
                             const rtl::VariantArray& args);

 protected:
  void Expose(std::string name, std::vector<ParamType> params, MethodHandler handler);

 private:
  std::unordered_map<std::string, MethodSpec> methods_;
};

}  // namespace net
