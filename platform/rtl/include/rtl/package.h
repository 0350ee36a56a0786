#pragma once
// The binary interface between the host program and a module library.
//
// A module is a shared library that exports, undecorated (extern "C"):
//   const rtl::PackageInfo* GetPackageInfoTable();  // its make-up; never null, static storage
//   void Initialize();                              // load hook, run once after loading
//   void Finalize();                                // unload hook, run once before unloading
//   void IniProc(const rtl::Variant& argument);     // the host's way into the module
// The host refuses a module whose table is missing, whose abiVersion differs from
// kPackageAbiVersion, whose required packages are not all loaded, or that lacks IniProc.
// Initialize and Finalize are optional: a module without work at load or unload may omit them.
// Exceptions thrown by IniProc reach the host, which catches them at its own boundary; both
// sides are built with the same compiler and rtl library, so C++ types may cross.

#include <cstdint>

#include "rtl/variant.h"

namespace rtl {

// Raised whenever the layout of PackageInfo or the hooks' signatures change.
inline constexpr uint32_t kPackageAbiVersion = 1;

// A module's make-up. The two name lists end with a null pointer; `requires` lists, in order,
// the packages that must be loaded before the module.
struct PackageInfo {
  uint32_t abiVersion;
  const char* name;             // e.g. "PKG_PED06900"
  const char* versionText;      // e.g. "6.19.014"
  uint16_t version[4];          // e.g. {6, 19, 14, 0}
  const char* language;         // e.g. "pt-BR"
  const char* const* required;  // e.g. {"_orv", "_rtl", ..., nullptr}
  const char* const* contains;  // the units inside the module, e.g. {"Pkg_ped06900", nullptr}
};

// The exported symbol names, so that host and modules never disagree on their spelling.
inline constexpr const char* kPackageInfoSymbol = "GetPackageInfoTable";
inline constexpr const char* kInitializeSymbol = "Initialize";
inline constexpr const char* kFinalizeSymbol = "Finalize";
inline constexpr const char* kIniProcSymbol = "IniProc";

using GetPackageInfoTableProc = const PackageInfo* (*)();
using PackageHookProc = void (*)();
using IniProcProc = void (*)(const Variant&);

}  // namespace rtl

#define RTL_PACKAGE_EXPORT extern "C" __attribute__((visibility("default")))

// Defines the module's GetPackageInfoTable. Use once in the module's library unit:
//   RTL_DEFINE_PACKAGE_INFO("PKG_X", "1.02.003", 1, 2, 3, 0, "pt-BR",
//                           ({"_orv", "_rtl", nullptr}), ({"Pkg_x", "Cli_x", nullptr}))
// The two lists are written in parentheses, each ending with nullptr.
#define RTL_PACKAGE_UNPAREN(...) __VA_ARGS__
#define RTL_DEFINE_PACKAGE_INFO(name, versionText, v1, v2, v3, v4, language, requiredList, \
                                containsList)                                              \
  RTL_PACKAGE_EXPORT const ::rtl::PackageInfo* GetPackageInfoTable() {                     \
    static const char* const required[] = RTL_PACKAGE_UNPAREN requiredList;                \
    static const char* const contains[] = RTL_PACKAGE_UNPAREN containsList;                \
    static const ::rtl::PackageInfo info{::rtl::kPackageAbiVersion,                        \
                                         name,                                             \
                                         versionText,                                      \
                                         {v1, v2, v3, v4},                                 \
                                         language,                                         \
                                         required,                                         \
                                         contains};                                        \
    return &info;                                                                          \
  }
