#pragma once
// The host's main window: an MDI frame with the menu of modules, a Janela menu and a status bar
// that tells the application server's address and whether it answers (ServerProbe).
// Choosing a module loads its library through the ModuleLoader (once) and calls its IniProc
// with the module's screen code; any failure is shown to the user and the window stays.

#include <memory>
#include <string>
#include <vector>

#include "client/module_list.h"
#include "client/module_loader.h"
#include "ui/form.h"

namespace ui {
class TLabel;
class TMainMenu;
class TMenuItem;
class TPanel;
}  // namespace ui

namespace client {

class ServerProbe;

class MainWindow : public ui::TForm {
 public:
  MainWindow(ui::TComponent* owner, ModuleLoader* loader, std::vector<ModuleEntry> modules);
  ~MainWindow() override;

  // Loads the module of that screen code and calls its IniProc. Raises ModuleError (or what the
  // module raises); OpenModuleSafely shows the failure instead and returns false.
  void OpenModule(const std::string& code);
  bool OpenModuleSafely(const std::string& code) noexcept;

  // Starts the periodic check of the application server.
  void StartServerProbe();

  ui::TMainMenu* mnuPrincipal;
  ui::TMenuItem* mnuModulos;
  ui::TPanel* panStatus;
  ui::TLabel* lblServidor;
  ui::TLabel* lblMensagem;

 private:
  void ShowServerState(bool known, bool answering);
  ModuleLoader* loader_;
  std::vector<ModuleEntry> modules_;
  std::unique_ptr<ServerProbe> probe_;
  int cacheListener_ = 0;
};

}  // namespace client
