// A library that is not a module: it exports an entry but no package table.
#include "rtl/package.h"

RTL_PACKAGE_EXPORT void IniProc(const rtl::Variant&) {}
