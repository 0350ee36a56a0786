#include "ui/page_control.h"

#include <QTabWidget>
#include <algorithm>

#include "qt_convert.h"
#include "ui/application.h"

namespace ui {

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner, new QTabWidget()) {}

TPageControl::~TPageControl() {
  for (TTabSheet* page : pages_) {
    static_cast<QTabWidget*>(Widget())->removeTab(0);
    page->pageControl_ = nullptr;
    page->Widget()->setParent(nullptr);
  }
}

TTabSheet* TPageControl::ActivePage() const {
  int index = static_cast<QTabWidget*>(Widget())->currentIndex();
  return index < 0 ? nullptr : pages_.at(index);
}

void TPageControl::SetActivePage(TTabSheet* page) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  static_cast<QTabWidget*>(Widget())->setCurrentIndex(static_cast<int>(it - pages_.begin()));
}

void TPageControl::AddPage(TTabSheet* page) {
  pages_.push_back(page);
  static_cast<QTabWidget*>(Widget())->addTab(page->Widget(), ToQString(page->Caption()));
  page->Widget()->show();
}

void TPageControl::RemovePage(TTabSheet* page) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  static_cast<QTabWidget*>(Widget())->removeTab(static_cast<int>(it - pages_.begin()));
  pages_.erase(it);
  page->Widget()->setParent(nullptr);
}

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner, new QWidget()) {}

TTabSheet::~TTabSheet() {
  DetachControls();
  if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  if (!pageControl_) return;
  auto& pages = pageControl_->pages_;
  int index = static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
  static_cast<QTabWidget*>(pageControl_->Widget())->setTabText(index, ToQString(caption_));
}

void TTabSheet::SetPageControl(TPageControl* pageControl) {
  if (pageControl == pageControl_) return;
  if (pageControl_) pageControl_->RemovePage(this);
  pageControl_ = pageControl;
  if (pageControl_) pageControl_->AddPage(this);
}

}  // namespace ui
