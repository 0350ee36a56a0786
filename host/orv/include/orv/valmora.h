#pragma once
// Unit Valmora: where the application server is, and the host's local cache of tables.
// The host program sets the server address from its configuration at start; tests set it too.
// Everything here runs on the user-interface thread.

#include <functional>
#include <string>
#include <vector>

namespace orv {

// The application server's host name or address, and its port. Default 127.0.0.1:2110.
std::string WebURL();
int WebPort();
// Raises rtl::Exception, changing nothing, for an empty host or a port outside 1 to 65535.
void SetWebServer(const std::string& host, int port);

// Asks the host to refresh its local copy of the named tables. The request is recorded and
// every listener is told, in the order they were added; an exception from a listener reaches
// the caller (the remaining listeners are not told).
void AtualizaLocalCache(const std::vector<std::string>& tables);

using LocalCacheListener = std::function<void(const std::vector<std::string>& tables)>;
// Returns an id for RemoveLocalCacheListener.
int AddLocalCacheListener(LocalCacheListener listener);
void RemoveLocalCacheListener(int id);

// Every request since the start or the last ClearLocalCacheRequests, oldest first.
const std::vector<std::vector<std::string>>& LocalCacheRequests();
void ClearLocalCacheRequests();

}  // namespace orv
