#include "screen_fixture.h"

#include "orv/showavi.h"
#include "ui/application.h"
#include "ui/form.h"

namespace ped06900_test {
namespace {

// The host's main window: an MDI frame, made once, shown, the application's main form.
void HostWindow() {
  static ui::TForm* window = [] {
    auto* form = ui::Application().CreateForm<ui::TForm>();
    form->SetFormStyle(ui::TFormStyle::fsMDIForm);
    form->SetCaption("Cliente");
    form->SetBounds(0, 0, 1000, 700);
    ui::Application().SetMainForm(form);
    form->Show();
    return form;
  }();
  (void)window;
}

}  // namespace

void ScreenTest::SetUp() {
  App();
  HostWindow();
  orv::ResetShowAviStatus();
}

void ScreenTest::TearDown() {
  Close();
}

Cli_ped06900::TfrmRentab& ScreenTest::Open() {
  IniProc(rtl::Variant());
  return *Cli_ped06900::frmRentab;
}

void ScreenTest::Close() {
  if (Cli_ped06900::boIdCriado) Cli_ped06900::frmRentab->Close();
  ui::Application().ProcessMessages();
}

std::vector<std::string> ScreenTest::ListedKeys() {
  std::vector<std::string> keys;
  db::TClientDataSet& ranges = *Cli_ped06900::frmRentab->cdsRentab;
  if (!ranges.Active()) return keys;
  for (int row = 0; row < ranges.DisplayRowCount(); ++row) {
    db::TRowView view(ranges, row);  // reads the row without moving the current record
    keys.push_back(ranges.FieldByName("NRSEQRENT").AsString());
  }
  return keys;
}

}  // namespace ped06900_test

namespace {

// Destroys every form while Qt is still whole: at the program's exit it would be too late.
class ReleaseFormsAtEnd : public testing::Environment {
 public:
  void TearDown() override { ui::Application().Shutdown(); }
};

[[maybe_unused]] testing::Environment* const kReleaseFormsAtEnd =
    testing::AddGlobalTestEnvironment(new ReleaseFormsAtEnd);

}  // namespace
