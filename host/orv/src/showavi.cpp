// The indicator is a small frameless window of its own over the centre of the main window.
// Painting it synchronously (repaint) makes it visible although the event loop is about to be
// blocked by the call that follows; being a window of its own, that paint flushes only the
// indicator, not the updates the main window has pending (a grid of many rows). It is made once
// and then only shown and hidden: a call often takes a few hundred microseconds, and building a
// styled widget for each one would cost more than the call. For the same reason its size is
// fixed once, to fit the longest of its texts: changing the text (reading, then writing) then
// neither measures the text again nor resizes the window. Taking it away waits for the event
// loop: the calls of one action (reading a key, then checking and writing a range) show one
// indicator that stays up until the action is over, instead of a window shown and hidden for
// each call while the screen cannot be looked at anyway.
#include "orv/showavi.h"

#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "ui/form.h"

namespace orv {
namespace {

ShowAviState& Status() {
  static ShowAviState status;
  return status;
}

QPointer<QLabel>& Indicator() {
  static QPointer<QLabel> indicator;
  return indicator;
}

QWidget* WindowOf(ui::TForm* form) {
  QWidget* widget = form ? form->Widget() : nullptr;
  return widget ? widget->window() : nullptr;
}

void Paint(ui::TForm* mainForm, TShowAvi kind) {
  QWidget* window = WindowOf(mainForm);
  QPointer<QLabel>& indicator = Indicator();
  if (!window) {
    delete indicator.data();
    return;
  }
  if (!indicator || indicator->parentWidget() != window) {
    delete indicator.data();
    indicator = new QLabel(window, Qt::ToolTip | Qt::FramelessWindowHint);
    indicator->setObjectName("orvShowAvi");
    indicator->setAlignment(Qt::AlignCenter);
    indicator->setAutoFillBackground(true);
    indicator->setAttribute(Qt::WA_ShowWithoutActivating);
    indicator->setStyleSheet(
        "QLabel#orvShowAvi { background: #fffbe6; border: 1px solid #7a6a2a; "
        "padding: 10px 18px; font-weight: bold; }");
    QSize fitsEvery;
    for (int each = 0; each <= aviLendo; ++each) {
      indicator->setText(QString::fromUtf8(ShowAviText(static_cast<TShowAvi>(each))));
      fitsEvery = fitsEvery.expandedTo(indicator->sizeHint());
    }
    indicator->setFixedSize(fitsEvery);
  }
  const QString text = QString::fromUtf8(ShowAviText(kind));
  const QPoint at = window->mapToGlobal(QPoint((window->width() - indicator->width()) / 2,
                                               (window->height() - indicator->height()) / 2));
  // The next call of the same action finds it showing already: nothing to draw again. Being a
  // tool-tip window, it stays above the main window without being raised.
  if (indicator->isVisible() && indicator->text() == text && indicator->pos() == at) return;
  indicator->setText(text);
  indicator->move(at);
  indicator->show();
  indicator->repaint();
}

}  // namespace

const char* ShowAviText(TShowAvi kind) {
  switch (kind) {
    case aviGravando:
      return "Gravando dados...";
    case aviCopiando:
      return "Copiando dados...";
    case aviExcluindo:
      return "Excluindo dados...";
    case aviProcurando:
      return "Procurando...";
    case aviImprimindo:
      return "Imprimindo...";
    case aviLendo:
      return "Lendo dados...";
  }
  return "Aguarde...";
}

void ActiveShowAvi(ui::TForm* mainForm, TShowAvi kind) noexcept {
  ShowAviState& status = Status();
  status.showing = true;
  status.kind = kind;
  ++status.activations;
  try {
    Paint(mainForm, kind);
  } catch (...) {
    // The indicator is a courtesy: failing to draw it must not fail the call it announces.
  }
}

void DeactiveShowAvi() noexcept {
  ShowAviState& status = Status();
  status.showing = false;
  ++status.deactivations;
  QLabel* indicator = Indicator();
  if (!indicator || !indicator->isVisible()) return;
  // One hide waiting at a time; it goes with the indicator when that is destroyed first.
  static QPointer<QLabel> hidePending;
  if (hidePending == indicator) return;
  try {
    QTimer::singleShot(0, indicator, [indicator] {
      hidePending.clear();
      if (!Status().showing) indicator->hide();
    });
    hidePending = indicator;
  } catch (...) {
    indicator->hide();  // out of memory for the timer: take it away at once
  }
}

const ShowAviState& ShowAviStatus() {
  return Status();
}

void ResetShowAviStatus() {
  Status() = ShowAviState{};
}

}  // namespace orv
