// The module library as the host loads it: its package table, its exported entry, and that
// loading and unloading it without IniProc creates no screen and opens no connection. This
// program does not link the module; it opens it by path, as the host does.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "module_fixture.h"
#include "orv/valmora.h"
#include "rtl/package.h"
#include "ui/application.h"

namespace {

std::vector<std::string> Names(const char* const* list) {
  std::vector<std::string> names;
  for (; *list; ++list) names.emplace_back(*list);
  return names;
}

// A loopback socket that listens but is never served: a connection attempt would queue on it.
class Listener {
 public:
  Listener() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(::listen(fd_, 8), 0);
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~Listener() { ::close(fd_); }
  uint16_t Port() const { return port_; }
  bool SomebodyConnected() {
    const int client = ::accept(fd_, nullptr, nullptr);
    if (client < 0) return errno != EAGAIN && errno != EWOULDBLOCK;
    ::close(client);
    return true;
  }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

TEST(Package, LoadingAndUnloadingWithoutIniProcCreatesNoScreenAndOpensNoConnection) {
  ped06900_test::App();
  Listener listener;
  orv::SetWebServer("127.0.0.1", listener.Port());
  const int componentsBefore = ui::Application().ComponentCount();

  void* library = ::dlopen(MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << ::dlerror();
  auto initialize = reinterpret_cast<rtl::PackageHookProc>(::dlsym(library, "Initialize"));
  auto finalize = reinterpret_cast<rtl::PackageHookProc>(::dlsym(library, "Finalize"));
  ASSERT_NE(initialize, nullptr);
  ASSERT_NE(finalize, nullptr);
  EXPECT_NE(::dlsym(library, rtl::kIniProcSymbol), nullptr) << "IniProc exported undecorated";
  initialize();

  auto* created = static_cast<bool*>(::dlsym(library, "_ZN12Cli_ped0690010boIdCriadoE"));
  auto* instance = static_cast<void**>(::dlsym(library, "_ZN12Cli_ped069009frmRentabE"));
  ASSERT_NE(created, nullptr);
  ASSERT_NE(instance, nullptr);
  EXPECT_FALSE(*created);
  EXPECT_EQ(*instance, nullptr);
  EXPECT_EQ(ui::Application().ComponentCount(), componentsBefore);

  finalize();
  EXPECT_EQ(::dlclose(library), 0);
  EXPECT_EQ(ui::Application().ComponentCount(), componentsBefore);
  EXPECT_FALSE(listener.SomebodyConnected());
}

TEST(Package, TableNamesTheModuleItsVersionLanguageRequiredPackagesAndUnits) {
  void* library = ::dlopen(MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << ::dlerror();
  auto table =
      reinterpret_cast<rtl::GetPackageInfoTableProc>(::dlsym(library, rtl::kPackageInfoSymbol));
  ASSERT_NE(table, nullptr);
  const rtl::PackageInfo& info = *table();
  EXPECT_EQ(info.abiVersion, rtl::kPackageAbiVersion);
  EXPECT_STREQ(info.name, "PKG_PED06900");
  EXPECT_STREQ(info.versionText, "6.19.014");
  EXPECT_EQ(std::vector<int>(info.version, info.version + 4), (std::vector<int>{6, 19, 14, 0}));
  EXPECT_STREQ(info.language, "pt-BR");
  EXPECT_EQ(Names(info.required), (std::vector<std::string>{"_orv", "_rtl", "_qr", "_lib", "_ger",
                                                            "_frm", "_db", "_vcl"}));
  EXPECT_EQ(Names(info.contains),
            (std::vector<std::string>{"Pkg_ped06900", "Cli_ped06900", "Cli_ped06901"}));
  ::dlclose(library);
}

}  // namespace
