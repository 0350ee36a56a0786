#include "ui/db_navigator.h"

#include <QHBoxLayout>
#include <QToolButton>
#include <QWidget>

#include "db/dataset.h"
#include "db/datasource.h"
#include "qt_convert.h"
#include "ui/application.h"
#include "ui/dialogs.h"

namespace ui {
namespace {

constexpr int kButtonCount = 10;

// Captions that read well without icons.
const char* const kGlyphs[kButtonCount] = {"|◀", "◀", "▶", "▶|", "+", "−", "✎", "✔", "✖", "↻"};

}  // namespace

class TDBNavigator::Link : public db::TDataLink {
 public:
  explicit Link(TDBNavigator* navigator) : navigator_(navigator) {}
  void OnDataEvent(const db::DataEvent& event) override {
    if (event.kind != db::DataEventKind::UpdateRecord) navigator_->UpdateButtons();
  }

 private:
  TDBNavigator* navigator_;
};

TDBNavigator::TDBNavigator(TComponent* owner)
    : TWinControl(owner, new QWidget()), link_(new Link(this)) {
  auto* layout = new QHBoxLayout(Widget());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (int i = 0; i < kButtonCount; ++i) {
    auto* button = new QToolButton(Widget());
    button->setText(QString::fromUtf8(kGlyphs[i]));
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(false);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    const auto which = static_cast<TNavigateBtn>(i);
    QObject::connect(button, &QToolButton::clicked, button,
                     [this, which] { CallSafely([this, which] { BtnClick(which); }); });
    layout->addWidget(button);
  }
  UpdateButtons();
}

TDBNavigator::~TDBNavigator() {
  link_->SetDataSource(nullptr);
}

db::TDataSource* TDBNavigator::DataSource() const {
  return link_->DataSource();
}

void TDBNavigator::SetDataSource(db::TDataSource* source) {
  link_->SetDataSource(source);
  UpdateButtons();
}

void TDBNavigator::SetHints(std::vector<std::string> hints) {
  hints_ = std::move(hints);
  QLayout* layout = Widget()->layout();
  for (int i = 0; i < kButtonCount; ++i) {
    layout->itemAt(i)->widget()->setToolTip(
        i < static_cast<int>(hints_.size()) ? ToQString(hints_[i]) : QString());
  }
}

bool TDBNavigator::ButtonEnabled(TNavigateBtn button) const {
  db::TDataSet* ds = link_->DataSet();
  if (!ds || !ds->Active()) return false;
  const bool browsing = ds->State() == db::DataSetState::Browse;
  const bool editing = !browsing;
  const int recNo = ds->RecNo();
  switch (button) {
    case TNavigateBtn::nbFirst:
    case TNavigateBtn::nbPrior:
      return recNo > 1;
    case TNavigateBtn::nbNext:
    case TNavigateBtn::nbLast:
      return recNo > 0 && recNo < ds->DisplayRowCount();
    case TNavigateBtn::nbInsert:
    case TNavigateBtn::nbRefresh:
      return browsing;
    case TNavigateBtn::nbEdit:
      return browsing;
    case TNavigateBtn::nbDelete:
      return browsing && !ds->IsEmpty();
    case TNavigateBtn::nbPost:
    case TNavigateBtn::nbCancel:
      return editing;
  }
  return false;
}

void TDBNavigator::BtnClick(TNavigateBtn button) {
  if (!ButtonEnabled(button)) return;
  db::TDataSet& ds = *link_->DataSet();
  switch (button) {
    case TNavigateBtn::nbFirst:
      ds.First();
      break;
    case TNavigateBtn::nbPrior:
      ds.Prior();
      break;
    case TNavigateBtn::nbNext:
      ds.Next();
      break;
    case TNavigateBtn::nbLast:
      ds.Last();
      break;
    case TNavigateBtn::nbInsert:
      ds.Insert();
      break;
    case TNavigateBtn::nbDelete:
      if (confirmDelete_ && !Confirm(deleteQuestion_)) return;
      ds.Delete();
      break;
    case TNavigateBtn::nbEdit:
      ds.Edit();
      break;
    case TNavigateBtn::nbPost:
      ds.Post();
      break;
    case TNavigateBtn::nbCancel:
      ds.Cancel();
      break;
    case TNavigateBtn::nbRefresh:
      break;  // rows in memory: the screen reloads in OnClick
  }
  if (OnClick) OnClick(this, button);
}

void TDBNavigator::UpdateButtons() {
  QLayout* layout = Widget()->layout();
  for (int i = 0; i < kButtonCount; ++i) {
    QWidget* button = layout->itemAt(i)->widget();
    button->setEnabled(ButtonEnabled(static_cast<TNavigateBtn>(i)));
  }
}

}  // namespace ui
