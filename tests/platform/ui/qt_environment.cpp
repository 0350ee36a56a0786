// One QApplication for the whole test program, made and destroyed by a test environment: the
// forms the application object still owns are destroyed before it, and it is gone before the
// program's exit (Qt's own globals, such as its input devices, are gone by then). Widget test
// programs of other pieces link this file too.

#include <gtest/gtest.h>

#include <QApplication>

#include "ui/application.h"

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "widget_tests";
    static char* argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
  }
  void TearDown() override {
    ui::Application().Shutdown();
    delete app_;
  }

 private:
  QApplication* app_ = nullptr;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
