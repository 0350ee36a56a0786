#include "worker_pool.h"

#include "net/errors.h"
#include "net/frame.h"
#include "net/messages.h"
#include "printable.h"

namespace net::detail {

WorkerPool::~WorkerPool() {
  Join();
}

void WorkerPool::Start(int count, Serve serve) {
  count_ = count < 1 ? 1 : count;
  serve_ = std::move(serve);
  for (int i = 0; i < count_; ++i) threads_.emplace_back([this] { Run(); });
  std::string error;
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return made_ == count_; });
    error = startError_;
  }
  if (!error.empty()) {
    Join();
    throw rtl::Exception(error);
  }
}

void WorkerPool::Join() {
  for (auto& thread : threads_) thread.join();
  threads_.clear();
}

void WorkerPool::Run() {
  std::vector<std::unique_ptr<ServerObject>> instances;
  std::string error;
  for (const auto& [name, factory] : registry_) {
    try {
      auto instance = factory();
      if (!instance) throw rtl::Exception("a fábrica não produziu um objeto");
      instances.push_back(std::move(instance));
    } catch (const std::exception& e) {
      error = "Falha ao criar o objeto " + name + ": " + e.what();
      break;
    }
  }
  bool failed;
  {
    std::unique_lock lock(mutex_);
    ++made_;
    if (!error.empty() && startError_.empty()) startError_ = error;
    changed_.notify_all();
    // No worker serves unless every one has its instances.
    changed_.wait(lock, [&] { return made_ == count_; });
    failed = !startError_.empty();
  }
  if (!failed) {
    CallRunner runner(registry_, log_, instances);
    serve_(runner);
  }
  instances.clear();  // made on this thread, so destroyed on it too
}

CallOutcome CallRunner::Run(size_t objectIndex, uint64_t connection, const std::string& payload) {
  ServerObject& object = *instances_[objectIndex];
  const std::string& objectName = registry_[objectIndex].first;
  // Built only for a log line, so a successful call allocates nothing for it.
  auto where = [&] { return "conexão #" + std::to_string(connection) + " (" + objectName + ")"; };
  auto refuse = [&](std::optional<uint64_t> id, const char* code, const std::string& message,
                    bool close) {
    CallOutcome outcome{{}, close};
    AppendFrame(outcome.frame, EncodeRefused(id, code, message));
    return outcome;
  };

  CallMessage call;
  try {
    call = DecodeCall(payload);
  } catch (const ProtocolError& e) {
    log_.Line(where() + ": mensagem malformada, conexão encerrada: " + e.Message());
    return refuse(std::nullopt, kProtocol, e.Message(), true);
  }

  const MethodSpec* method = object.Find(call.method);
  if (method == nullptr) {
    const std::string message =
        "O objeto " + objectName + " não tem o método " + Printable(call.method);
    log_.Line(where() + ": " + message);
    return refuse(call.id, kNoSuchMethod, message, false);
  }
  try {
    ServerObject::CheckArguments(call.method, *method, call.args);
    const rtl::Variant value = method->handler(call.args);
    return CallOutcome{EncodeAnswerFrame(call.id, value), false};
  } catch (const EBadArguments& e) {
    log_.Line(where() + ": argumentos inválidos em " + call.method + ": " + e.Message());
    return refuse(call.id, kBadArguments, e.Message(), false);
  } catch (const std::exception& e) {
    log_.Line(where() + ": erro interno em " + call.method + ": " + e.what());
  } catch (...) {
    log_.Line(where() + ": erro interno desconhecido em " + call.method);
  }
  return refuse(call.id, kInternal, "Erro interno do servidor ao executar " + call.method, false);
}

}  // namespace net::detail
