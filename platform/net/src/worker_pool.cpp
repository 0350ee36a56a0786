#include "worker_pool.h"

#include "net/errors.h"
#include "net/frame.h"
#include "net/messages.h"
#include "printable.h"

namespace net::detail {

WorkerPool::WorkerPool(const Registry& registry, ServerLog& log, Deliver deliver)
    : registry_(registry), log_(log), deliver_(std::move(deliver)) {}

WorkerPool::~WorkerPool() {
  Shutdown();
}

void WorkerPool::Start(int count) {
  if (count < 1) count = 1;
  for (int i = 0; i < count; ++i) threads_.emplace_back([this] { Run(); });
  std::string error;
  {
    std::unique_lock lock(mutex_);
    startedCv_.wait(lock, [&] { return started_ == count; });
    error = startError_;
  }
  if (!error.empty()) {
    Shutdown();
    throw rtl::Exception(error);
  }
}

void WorkerPool::Shutdown() {
  {
    std::lock_guard lock(mutex_);
    quitting_ = true;
  }
  wake_.notify_all();
  for (auto& thread : threads_) thread.join();
  threads_.clear();
}

void WorkerPool::Submit(Job job) {
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
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
  {
    std::lock_guard lock(mutex_);
    ++started_;
    if (!error.empty() && startError_.empty()) startError_ = error;
  }
  startedCv_.notify_all();
  if (!error.empty()) return;

  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return quitting_ || !jobs_.empty(); });
      if (jobs_.empty()) break;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    Outcome outcome = Execute(*instances[job.object], registry_[job.object].first, job);
    deliver_(outcome);
  }
  instances.clear();  // made on this thread, so destroyed on it too
}

Outcome WorkerPool::Execute(ServerObject& object, const std::string& objectName, Job& job) {
  // Built only for a log line, so a successful call allocates nothing for it.
  auto where = [&] {
    return "conexão #" + std::to_string(job.connection) + " (" + objectName + ")";
  };
  auto refuse = [&](std::optional<uint64_t> id, const char* code, const std::string& message,
                    bool close) {
    Outcome outcome{std::move(job.link), {}, close};
    AppendFrame(outcome.frame, EncodeRefused(id, code, message));
    return outcome;
  };

  CallMessage call;
  try {
    call = DecodeCall(job.payload);
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
    return Outcome{std::move(job.link), EncodeAnswerFrame(call.id, value), false};
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
