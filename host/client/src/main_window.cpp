#include "main_window.h"

#include <QMdiArea>
#include <QWidget>

#include "client/server_probe.h"
#include "orv/valmora.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/label.h"
#include "ui/menus.h"
#include "ui/panel.h"

namespace client {

MainWindow::MainWindow(ui::TComponent* owner, ModuleLoader* loader,
                       std::vector<ModuleEntry> modules)
    : ui::TForm(owner), loader_(loader), modules_(std::move(modules)) {
  SetName("frmPrincipal");
  SetCaption("Rentabilidade - Cliente");
  SetFormStyle(ui::TFormStyle::fsMDIForm);
  SetBounds(40, 40, 1000, 640);

  mnuPrincipal = new ui::TMainMenu(this);
  mnuModulos = new ui::TMenuItem(this);
  mnuModulos->SetCaption("&Módulos");
  for (const ModuleEntry& entry : modules_) {
    auto* item = new ui::TMenuItem(this);
    item->SetName("mnu" + entry.code);
    item->SetCaption(entry.code + " - " + entry.caption);
    item->OnClick = [this, code = entry.code](ui::TComponent*) { OpenModule(code); };
    mnuModulos->Add(item);
  }
  if (modules_.empty()) {
    auto* none = new ui::TMenuItem(this);
    none->SetCaption("(nenhum módulo na lista)");
    none->SetEnabled(false);
    mnuModulos->Add(none);
  }
  auto* sair = new ui::TMenuItem(this);
  sair->SetCaption("&Sair");
  sair->OnClick = [this](ui::TComponent*) { Close(); };
  mnuModulos->Add(sair);
  mnuPrincipal->Add(mnuModulos);

  auto* janela = new ui::TMenuItem(this);
  janela->SetCaption("&Janela");
  auto* cascata = new ui::TMenuItem(this);
  cascata->SetCaption("&Cascata");
  auto* ladoALado = new ui::TMenuItem(this);
  ladoALado->SetCaption("&Lado a lado");
  janela->Add(cascata);
  janela->Add(ladoALado);
  mnuPrincipal->Add(janela);
  auto mdiArea = [this] { return ClientWidget()->findChild<QMdiArea*>(); };
  cascata->OnClick = [mdiArea](ui::TComponent*) {
    if (QMdiArea* area = mdiArea()) area->cascadeSubWindows();
  };
  ladoALado->OnClick = [mdiArea](ui::TComponent*) {
    if (QMdiArea* area = mdiArea()) area->tileSubWindows();
  };

  auto* ajuda = new ui::TMenuItem(this);
  ajuda->SetCaption("A&juda");
  auto* sobre = new ui::TMenuItem(this);
  sobre->SetCaption("&Sobre...");
  sobre->OnClick = [](ui::TComponent*) {
    ui::ShowInformation("Rentabilidade - Cliente\nServidor de aplicação: " + orv::WebURL() + ":" +
                        std::to_string(orv::WebPort()));
  };
  ajuda->Add(sobre);
  mnuPrincipal->Add(ajuda);
  SetMenu(mnuPrincipal);

  panStatus = new ui::TPanel(this);
  panStatus->SetName("panStatus");
  panStatus->SetParent(this);
  panStatus->SetAlign(ui::TAlign::alBottom);
  panStatus->SetHeight(24);
  lblServidor = new ui::TLabel(this);
  lblServidor->SetName("lblServidor");
  lblServidor->SetParent(panStatus);
  lblServidor->SetBounds(8, 4, 420, 16);
  lblMensagem = new ui::TLabel(this);
  lblMensagem->SetName("lblMensagem");
  lblMensagem->SetParent(panStatus);
  lblMensagem->SetBounds(440, 4, 540, 16);
  ShowServerState(false, false);

  cacheListener_ = orv::AddLocalCacheListener([this](const std::vector<std::string>& tables) {
    std::string names;
    for (const std::string& table : tables) names += (names.empty() ? "" : ", ") + table;
    lblMensagem->SetCaption("Cache local: atualização pedida para " + names + ".");
  });
}

MainWindow::~MainWindow() {
  orv::RemoveLocalCacheListener(cacheListener_);
}

void MainWindow::StartServerProbe() {
  probe_ = std::make_unique<ServerProbe>();
  QObject::connect(probe_.get(), &ServerProbe::Changed, probe_.get(),
                   [this](bool answering) { ShowServerState(true, answering); });
  probe_->Start();
}

void MainWindow::ShowServerState(bool known, bool answering) {
  const std::string address = orv::WebURL() + ":" + std::to_string(orv::WebPort());
  const char* state = !known ? "verificando..." : answering ? "respondendo" : "sem resposta";
  lblServidor->SetCaption("Servidor " + address + ": " + state);
  if (QWidget* widget = lblServidor->Widget()) {
    widget->setStyleSheet(!known ? "" : answering ? "color: #1a7f37;" : "color: #b42318;");
  }
}

void MainWindow::OpenModule(const std::string& code) {
  auto entry = std::find_if(modules_.begin(), modules_.end(),
                            [&](const ModuleEntry& e) { return e.code == code; });
  if (entry == modules_.end()) {
    throw ModuleError("Módulo " + code + " não consta na lista de módulos.");
  }
  LoadedModule& module = loader_->Load(entry->library);
  module.IniProc(rtl::Variant(code));
  lblMensagem->SetCaption(entry->caption + " (" + module.Name() + " " + module.VersionText() + ")");
}

bool MainWindow::OpenModuleSafely(const std::string& code) noexcept {
  try {
    OpenModule(code);
    return true;
  } catch (...) {
    ui::Application().HandleCurrentException();
    return false;
  }
}

}  // namespace client
