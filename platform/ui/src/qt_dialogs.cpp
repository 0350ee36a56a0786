#include "qt_dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPushButton>

#include "qt_convert.h"
#include "ui/application.h"
#include "ui/printers.h"

namespace ui {
namespace {

QWidget* DialogParent() {
  return QApplication::activeWindow();
}

QString TitleFor(PromptKind kind) {
  switch (kind) {
    case PromptKind::Error:
      return QStringLiteral("Erro");
    case PromptKind::Warning:
      return QStringLiteral("Atenção");
    case PromptKind::Confirmation:
      return QStringLiteral("Confirmação");
    default:
      break;
  }
  QString title = ToQString(Application().Title());
  return title.isEmpty() ? QStringLiteral("Informação") : title;
}

}  // namespace

void QtDialogs::Message(PromptKind kind, const std::string& text) {
  QMessageBox::Icon icon = kind == PromptKind::Error     ? QMessageBox::Critical
                           : kind == PromptKind::Warning ? QMessageBox::Warning
                                                         : QMessageBox::Information;
  QMessageBox box(icon, TitleFor(kind), ToQString(text), QMessageBox::NoButton, DialogParent());
  box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  box.exec();
}

bool QtDialogs::Confirm(const std::string& text) {
  QMessageBox box(QMessageBox::Question, TitleFor(PromptKind::Confirmation), ToQString(text),
                  QMessageBox::NoButton, DialogParent());
  QPushButton* yes = box.addButton(QStringLiteral("Sim"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("Não"), QMessageBox::NoRole);
  box.setDefaultButton(no);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

std::optional<TColor> QtDialogs::PickColor(TColor initial) {
  QColorDialog dialog(ToQColor(initial), DialogParent());
  dialog.setWindowTitle(QStringLiteral("Cor"));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return FromQColor(dialog.selectedColor());
}

std::optional<std::string> QtDialogs::InputText(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& initial) {
  QInputDialog dialog(DialogParent());
  dialog.setWindowTitle(ToQString(caption));
  dialog.setLabelText(ToQString(prompt));
  dialog.setTextValue(ToQString(initial));
  dialog.setOkButtonText(QStringLiteral("OK"));
  dialog.setCancelButtonText(QStringLiteral("Cancelar"));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return FromQString(dialog.textValue());
}

bool QtDialogs::PrinterSetup() {
  QPageSetupDialog dialog(&Printer(), DialogParent());
  return dialog.exec() == QDialog::Accepted;
}

bool QtDialogs::PrintSetup() {
  QPrintDialog dialog(&Printer(), DialogParent());
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace ui
