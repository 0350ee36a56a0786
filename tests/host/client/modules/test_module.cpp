// One source for every test module; the build defines which one it is:
//   MODULE_NAME      the package name and the prefix of recorded calls
//   MODULE_REQUIRES  the required package list, in parentheses, ending with nullptr
//   WITH_INIPROC     1 to export IniProc
//   THROW_IN_INIPROC 1 to make IniProc raise
#include "probe.h"
#include "rtl/exceptions.h"
#include "rtl/package.h"

RTL_DEFINE_PACKAGE_INFO(MODULE_NAME, "6.19.014", 6, 19, 14, 0, "pt-BR", MODULE_REQUIRES,
                        ({"Pkg_teste", "Cli_teste", nullptr}))

RTL_PACKAGE_EXPORT void Initialize() {
  module_probe::Calls().push_back(std::string(MODULE_NAME) + ":Initialize");
}

RTL_PACKAGE_EXPORT void Finalize() {
  module_probe::Calls().push_back(std::string(MODULE_NAME) + ":Finalize");
}

#if WITH_INIPROC
RTL_PACKAGE_EXPORT void IniProc(const rtl::Variant& argument) {
  module_probe::Calls().push_back(std::string(MODULE_NAME) + ":IniProc:" + argument.Describe());
#if THROW_IN_INIPROC
  throw rtl::Exception("Falha ao abrir a tela.");
#endif
}
#endif
