#pragma once
// The application server as a whole: what the appserver program runs, and what tests start in
// their own process.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "appserver/options.h"
#include "net/object_server.h"

namespace appserver {

// Makes (without starting) an object server that serves ped06900.rdmRentab from the SQLite file
// of options, each worker with its own connection to it. The server owns the file until it is
// destroyed: it keeps the ranges' bounds in memory for the lookups of a value, and refuses to
// share the file with another server or an import. Raises rtl::Exception when the file cannot
// be opened or set up, or another server uses it; logger receives one line at a time from any
// thread.
std::unique_ptr<net::ObjectServer> MakeServer(const ServerOptions& options,
                                              net::ServerLogger logger);

// Runs the program with the arguments after its name and returns the exit code: 0 done, 1 a
// failure at run time (database, import, export, listening), 2 a bad command line. Serving
// returns after SIGTERM or SIGINT.
int Run(const std::vector<std::string>& args);

}  // namespace appserver
