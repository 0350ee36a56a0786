#pragma once
// Unit Netconnection: the socket connection to a remote server object, as screens name it.
// It is the network layer's class itself; see net/connection.h for its contract.

#include "net/connection.h"

namespace orv {

using TNetConnection = net::TNetConnection;

}  // namespace orv
