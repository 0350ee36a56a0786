#include "client/module_loader.h"

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace client {
namespace {

std::string DlError() {
  const char* error = dlerror();
  return error ? error : "erro desconhecido";
}

// dlsym also searches the libraries a module depends on; only the module's own symbol counts.
void* OwnSymbol(void* handle, const char* name) {
  dlerror();
  void* symbol = dlsym(handle, name);
  if (!symbol) return nullptr;
  link_map* map = nullptr;
  Dl_info info{};
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !dladdr(symbol, &info) || !map ||
      !info.dli_fname || std::strcmp(map->l_name, info.dli_fname) != 0) {
    return nullptr;
  }
  return symbol;
}

std::vector<std::string> NameList(const char* const* names) {
  std::vector<std::string> list;
  for (; names && *names; ++names) list.emplace_back(*names);
  return list;
}

// Closes the library unless released; keeps a refused module from lingering.
class LibraryHandle {
 public:
  explicit LibraryHandle(void* handle) : handle_(handle) {}
  ~LibraryHandle() {
    if (handle_) dlclose(handle_);
  }
  void* get() const { return handle_; }
  void* release() { return std::exchange(handle_, nullptr); }

 private:
  void* handle_;
};

}  // namespace

ModuleLoader::ModuleLoader(std::set<std::string> present) : present_(std::move(present)) {}

ModuleLoader::~ModuleLoader() {
  while (!modules_.empty()) {
    const std::unique_ptr<LoadedModule>& module = modules_.back();
    if (module->finalize_) {
      try {
        module->finalize_();
      } catch (...) {
        // Unloading goes on: a failing unload hook must not keep the others from running.
      }
    }
    dlclose(module->handle_);
    modules_.pop_back();
  }
}

LoadedModule& ModuleLoader::Load(const std::string& path) {
  for (const auto& module : modules_) {
    if (module->path_ == path) return *module;
  }
  LibraryHandle library(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
  if (!library.get()) {
    throw ModuleError("Não foi possível carregar o módulo " + path + ": " + DlError());
  }
  auto table = reinterpret_cast<rtl::GetPackageInfoTableProc>(
      OwnSymbol(library.get(), rtl::kPackageInfoSymbol));
  if (!table) {
    throw ModuleError("O arquivo " + path + " não é um módulo: falta a tabela de pacote (" +
                      rtl::kPackageInfoSymbol + ").");
  }
  const rtl::PackageInfo* info = table();
  if (!info || info->abiVersion != rtl::kPackageAbiVersion || !info->name || !*info->name) {
    throw ModuleError("O módulo " + path + " foi feito para outra versão do cliente.");
  }
  auto module = std::unique_ptr<LoadedModule>(new LoadedModule());
  module->path_ = path;
  module->name_ = info->name;
  module->versionText_ = info->versionText ? info->versionText : "";
  module->language_ = info->language ? info->language : "";
  module->version_.assign(std::begin(info->version), std::end(info->version));
  module->requires_ = NameList(info->required);
  module->contains_ = NameList(info->contains);

  if (present_.contains(module->name_)) {
    throw ModuleError("O pacote " + module->name_ + " já está carregado.");
  }
  for (const std::string& package : module->requires_) {
    if (!present_.contains(package)) {
      throw ModuleError("O módulo " + module->name_ + " requer o pacote " + package +
                        ", que não está carregado.");
    }
  }
  module->iniProc_ =
      reinterpret_cast<rtl::IniProcProc>(OwnSymbol(library.get(), rtl::kIniProcSymbol));
  if (!module->iniProc_) {
    throw ModuleError("O módulo " + module->name_ + " não exporta a entrada " +
                      rtl::kIniProcSymbol + ".");
  }
  module->finalize_ =
      reinterpret_cast<rtl::PackageHookProc>(OwnSymbol(library.get(), rtl::kFinalizeSymbol));
  if (auto initialize = reinterpret_cast<rtl::PackageHookProc>(
          OwnSymbol(library.get(), rtl::kInitializeSymbol))) {
    initialize();  // a failure here refuses the module; the library is closed on the way out
  }
  module->handle_ = library.release();
  present_.insert(module->name_);
  modules_.push_back(std::move(module));
  return *modules_.back();
}

std::set<std::string> HostPackages() {
  const std::pair<const char*, const char*> packages[] = {
      {"_rtl", "librtl.so"}, {"_db", "libdb.so"}, {"_vcl", "libui.so"}, {"_orv", "liborv.so"},
      {"_frm", "libfrm.so"}, {"_qr", nullptr},    {"_ger", nullptr},    {"_lib", nullptr},
  };
  std::set<std::string> present;
  for (const auto& [package, library] : packages) {
    if (library) {
      void* handle = dlopen(library, RTLD_NOW | RTLD_NOLOAD);
      if (!handle) continue;
      dlclose(handle);  // only drops the reference RTLD_NOLOAD took
    }
    present.insert(package);
  }
  return present;
}

}  // namespace client
