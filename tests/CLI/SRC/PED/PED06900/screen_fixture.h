#pragma once
// A test of the range screen as the host runs it: the Qt application, the host's MDI main
// window, scripted dialogs (so that no test blocks on a message box), and the screen closed and
// released after each test so that the next one starts from a module with no open screen.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Cli_ped06900.h"
#include "module_fixture.h"
#include "ui/scripted_dialogs.h"

namespace ped06900_test {

class ScreenTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The host's call: IniProc with an empty variant; returns the open screen.
  Cli_ped06900::TfrmRentab& Open();
  // Closes the open screen, if any, and lets the event loop release it.
  void Close();
  // Keys of the ranges the screen lists, in the order of the list.
  std::vector<std::string> ListedKeys();

  ui::ScopedDialogs dialogs_;
};

}  // namespace ped06900_test
