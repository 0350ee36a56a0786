#include "orv/valmora.h"

#include <utility>

#include "rtl/exceptions.h"

namespace orv {
namespace {

struct ServerAddress {
  std::string host = "127.0.0.1";
  int port = 2110;
};

ServerAddress& Address() {
  static ServerAddress address;
  return address;
}

struct LocalCache {
  std::vector<std::pair<int, LocalCacheListener>> listeners;
  int nextId = 1;
  std::vector<std::vector<std::string>> requests;
};

LocalCache& Cache() {
  static LocalCache cache;
  return cache;
}

}  // namespace

std::string WebURL() {
  return Address().host;
}

int WebPort() {
  return Address().port;
}

void SetWebServer(const std::string& host, int port) {
  if (host.empty()) throw rtl::Exception("Servidor de aplicação não informado.");
  if (port < 1 || port > 65535) {
    throw rtl::Exception("Porta do servidor de aplicação inválida: " + std::to_string(port) + ".");
  }
  Address() = ServerAddress{host, port};
}

void AtualizaLocalCache(const std::vector<std::string>& tables) {
  LocalCache& cache = Cache();
  cache.requests.push_back(tables);
  // A listener may add or remove listeners; tell those present when the request was made.
  const auto listeners = cache.listeners;
  for (const auto& entry : listeners) entry.second(tables);
}

int AddLocalCacheListener(LocalCacheListener listener) {
  LocalCache& cache = Cache();
  cache.listeners.emplace_back(cache.nextId, std::move(listener));
  return cache.nextId++;
}

void RemoveLocalCacheListener(int id) {
  auto& listeners = Cache().listeners;
  std::erase_if(listeners, [id](const auto& entry) { return entry.first == id; });
}

const std::vector<std::vector<std::string>>& LocalCacheRequests() {
  return Cache().requests;
}

void ClearLocalCacheRequests() {
  Cache().requests.clear();
}

}  // namespace orv
