#pragma once
// Loading module libraries into the host.
//
// The loader knows which packages are present: the host's own (registered by the host program,
// see HostPackages) and the modules it has loaded. Load(path) opens a library and accepts it
// only when it exports its package table (of this host's ABI version), every package the table
// requires is present, and it exports its own IniProc; it then runs the module's Initialize.
// Any refusal raises ModuleError with a Portuguese message naming the module and the reason,
// and leaves no trace: the library is closed again. Loading a library already loaded (same
// path) returns the loaded module. The loader runs each module's Finalize and closes it when
// it is destroyed, newest first.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "rtl/exceptions.h"
#include "rtl/package.h"
#include "rtl/variant.h"

namespace client {

class ModuleError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// A loaded, accepted module. Owned by its ModuleLoader.
class LoadedModule {
 public:
  const std::string& Path() const { return path_; }
  const std::string& Name() const { return name_; }
  const std::string& VersionText() const { return versionText_; }
  const std::string& Language() const { return language_; }
  const std::vector<int>& Version() const { return version_; }
  const std::vector<std::string>& Requires() const { return requires_; }
  const std::vector<std::string>& Contains() const { return contains_; }

  // Calls the module's IniProc; whatever it raises reaches the caller unchanged.
  void IniProc(const rtl::Variant& argument) const { iniProc_(argument); }

 private:
  friend class ModuleLoader;
  LoadedModule() = default;
  std::string path_;
  std::string name_;
  std::string versionText_;
  std::string language_;
  std::vector<int> version_;
  std::vector<std::string> requires_;
  std::vector<std::string> contains_;
  void* handle_ = nullptr;
  rtl::IniProcProc iniProc_ = nullptr;
  rtl::PackageHookProc finalize_ = nullptr;
};

class ModuleLoader {
 public:
  // `present`: the packages the host provides.
  explicit ModuleLoader(std::set<std::string> present);
  ~ModuleLoader();
  ModuleLoader(const ModuleLoader&) = delete;
  ModuleLoader& operator=(const ModuleLoader&) = delete;

  LoadedModule& Load(const std::string& path);
  bool IsPresent(const std::string& package) const { return present_.contains(package); }
  const std::vector<std::unique_ptr<LoadedModule>>& Modules() const { return modules_; }

 private:
  std::set<std::string> present_;
  std::vector<std::unique_ptr<LoadedModule>> modules_;
};

// The packages this host provides and what provides each: _rtl (library rtl), _db (db),
// _vcl (ui), _orv (orv), _frm (frm); _qr (report components), _ger (general units) and _lib
// are provided by the host program itself. A package backed by a library counts as present
// only when that library is loaded in the process.
std::set<std::string> HostPackages();

}  // namespace client
