#pragma once
// The printer shared by the whole client and the two printer dialog components. Execute goes
// through the dialog seam and returns whether the user accepted.

#include "ui/component.h"

class QPrinter;

namespace ui {

// The process-wide printer (created on first use; needs a running QApplication).
QPrinter& Printer();

class TPrinterSetupDialog : public TComponent {
 public:
  explicit TPrinterSetupDialog(TComponent* owner) : TComponent(owner) {}
  bool Execute();
};

class TPrintDialog : public TComponent {
 public:
  explicit TPrintDialog(TComponent* owner) : TComponent(owner) {}
  bool Execute();
};

}  // namespace ui
