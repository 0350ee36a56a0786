#include "ui/printers.h"

#include <QPrinter>

#include "ui/dialogs.h"

namespace ui {

QPrinter& Printer() {
  // Never destroyed: the printer must outlive every report, and tearing it down after the
  // QApplication is gone is not safe.
  static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
  return *printer;
}

bool TPrinterSetupDialog::Execute() {
  return Dialogs().PrinterSetup();
}
bool TPrintDialog::Execute() {
  return Dialogs().PrintSetup();
}

}  // namespace ui
