#include "client/module_loader.h"

#include <gtest/gtest.h>

#include <optional>

#include "modules/probe.h"

namespace {

using module_probe::Calls;

std::string ModulePath(const std::string& name) {
  return std::string(TEST_MODULE_DIR) + "/lib" + name + ".so";
}

const std::set<std::string> kHostPackages = {"_orv", "_rtl", "_qr", "_lib",
                                             "_ger", "_frm", "_db", "_vcl"};

class ModuleLoaderTest : public testing::Test {
 protected:
  void SetUp() override { Calls().clear(); }
};

TEST_F(ModuleLoaderTest, AcceptsAGoodModuleRunsItsHooksAndUnloadsIt) {
  {
    client::ModuleLoader loader(kHostPackages);
    client::LoadedModule& module = loader.Load(ModulePath("mod_good"));
    EXPECT_EQ(module.Name(), "mod_good");
    EXPECT_EQ(module.VersionText(), "6.19.014");
    EXPECT_EQ(module.Version(), (std::vector<int>{6, 19, 14, 0}));
    EXPECT_EQ(module.Language(), "pt-BR");
    EXPECT_EQ(module.Requires(), (std::vector<std::string>{"_orv", "_rtl"}));
    EXPECT_EQ(module.Contains(), (std::vector<std::string>{"Pkg_teste", "Cli_teste"}));
    EXPECT_EQ(&loader.Load(ModulePath("mod_good")), &module) << "loaded twice";

    module.IniProc(rtl::Variant(7));
    module.IniProc(rtl::Variant::Null());
    EXPECT_TRUE(loader.IsPresent("mod_good"));
  }
  EXPECT_EQ(Calls(), (std::vector<std::string>{"mod_good:Initialize", "mod_good:IniProc:Int32(7)",
                                               "mod_good:IniProc:Null", "mod_good:Finalize"}));
}

TEST_F(ModuleLoaderTest, RefusesWithAClearMessageAndRunsNothing) {
  struct Case {
    const char* library;
    std::set<std::string> present;
    const char* message;
  };
  const Case cases[] = {
      {"mod_missing_package", kHostPackages,
       "O módulo mod_missing_package requer o pacote _naoexiste, que não está carregado."},
      {"mod_good", {"_rtl"}, "O módulo mod_good requer o pacote _orv, que não está carregado."},
      {"mod_needs_good", kHostPackages,
       "O módulo mod_needs_good requer o pacote mod_good, que não está carregado."},
      {"mod_no_iniproc", kHostPackages, "O módulo mod_no_iniproc não exporta a entrada IniProc."},
      {"mod_no_table", kHostPackages, "não é um módulo"},
      {"mod_nao_existe", kHostPackages, "Não foi possível carregar o módulo"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.library);
    client::ModuleLoader loader(c.present);
    try {
      loader.Load(ModulePath(c.library));
      ADD_FAILURE() << "accepted";
    } catch (const client::ModuleError& e) {
      EXPECT_NE(e.Message().find(c.message), std::string::npos) << e.Message();
    }
    EXPECT_TRUE(loader.Modules().empty());
  }
  EXPECT_TRUE(Calls().empty()) << Calls().front();
}

TEST_F(ModuleLoaderTest, AModuleMayRequireALoadedModule) {
  std::optional<client::ModuleLoader> loader(std::in_place, kHostPackages);
  loader->Load(ModulePath("mod_good"));
  loader->Load(ModulePath("mod_needs_good")).IniProc(rtl::Variant());
  loader.reset();
  EXPECT_EQ(Calls(), (std::vector<std::string>{"mod_good:Initialize", "mod_needs_good:Initialize",
                                               "mod_needs_good:IniProc:Empty",
                                               "mod_needs_good:Finalize", "mod_good:Finalize"}));
}

TEST_F(ModuleLoaderTest, AnIniProcFailureReachesTheCaller) {
  client::ModuleLoader loader(kHostPackages);
  client::LoadedModule& module = loader.Load(ModulePath("mod_throwing"));
  EXPECT_THROW(module.IniProc(rtl::Variant()), rtl::Exception);
  EXPECT_EQ(Calls().back(), "mod_throwing:IniProc:Empty");
}

}  // namespace
