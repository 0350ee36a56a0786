#pragma once
// The QApplication that widget tests need, created once.

#include <QApplication>

inline QApplication& TestApp() {
  static int argc = 1;
  static char name[] = "frm_tests";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}
