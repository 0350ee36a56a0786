#pragma once
// TPageControl holds tab sheets; TTabSheet is one page with a caption. A sheet joins a page
// control through SetPageControl (in the order of the calls); ActivePage is the page shown.

#include <string>
#include <vector>

#include "ui/control.h"

namespace ui {

class TTabSheet;

class TPageControl : public TWinControl {
 public:
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int index) const { return pages_.at(index); }
  TTabSheet* ActivePage() const;
  void SetActivePage(TTabSheet* page);

 private:
  friend class TTabSheet;
  void AddPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  std::vector<TTabSheet*> pages_;
};

class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  TPageControl* PageControl() const { return pageControl_; }
  void SetPageControl(TPageControl* pageControl);

 private:
  friend class TPageControl;
  std::string caption_;
  TPageControl* pageControl_ = nullptr;
};

}  // namespace ui
