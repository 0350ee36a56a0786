// The library unit of PKG_PED06900: its make-up for the host's package loader and the load and
// unload hooks. The module's units have no work of their own at load or unload: loading creates
// no screen and opens no connection; the host's first IniProc does that.

#include "rtl/package.h"

RTL_DEFINE_PACKAGE_INFO("PKG_PED06900", "6.19.014", 6, 19, 14, 0, "pt-BR",
                        ({"_orv", "_rtl", "_qr", "_lib", "_ger", "_frm", "_db", "_vcl", nullptr}),
                        ({"Pkg_ped06900", "Cli_ped06900", "Cli_ped06901", nullptr}))

RTL_PACKAGE_EXPORT void Initialize() {}

RTL_PACKAGE_EXPORT void Finalize() {}
