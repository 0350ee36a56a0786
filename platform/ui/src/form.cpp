#include "ui/form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QVBoxLayout>

#include "qt_convert.h"
#include "rtl/exceptions.h"
#include "ui/application.h"
#include "ui/menus.h"

namespace ui {
namespace {

const char* const kFormProperty = "ui_form";

TForm* FormOf(QWidget* widget) {
  if (!widget) return nullptr;
  return reinterpret_cast<TForm*>(widget->property(kFormProperty).value<quintptr>());
}

TWindowState StateOf(Qt::WindowStates states) {
  if (states & Qt::WindowMinimized) return TWindowState::wsMinimized;
  if (states & Qt::WindowMaximized) return TWindowState::wsMaximized;
  return TWindowState::wsNormal;
}

Qt::WindowStates QtStateOf(TWindowState state) {
  switch (state) {
    case TWindowState::wsMinimized:
      return Qt::WindowMinimized;
    case TWindowState::wsMaximized:
      return Qt::WindowMaximized;
    default:
      return Qt::WindowNoState;
  }
}

}  // namespace

// The form's own widget: the window of a top-level form, the content of an MDI child.
class TForm::Window : public QWidget {
 public:
  explicit Window(TForm* form) : form_(form) {
    setProperty(kFormProperty, QVariant::fromValue(reinterpret_cast<quintptr>(form)));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    client = new QWidget(this);
    layout->addWidget(client);
    resize(400, 300);
  }
  QWidget* client;

 protected:
  void closeEvent(QCloseEvent* event) override {
    // Every close, also the title bar's, goes through TForm::Close and its OnClose.
    event->ignore();
    CallSafely([this] { form_->CloseRequestedByUser(); });
  }
  void changeEvent(QEvent* event) override {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isWindow() && isActiveWindow()) {
      CallSafely([this] { form_->DoActivate(); });
    }
  }

 private:
  TForm* form_;
};

// The MDI frame around a child form's widget.
class TForm::MdiFrame : public QMdiSubWindow {
 public:
  explicit MdiFrame(TForm* form) : form_(form) {
    setProperty(kFormProperty, QVariant::fromValue(reinterpret_cast<quintptr>(form)));
  }

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    CallSafely([this] { form_->CloseRequestedByUser(); });
  }

 private:
  TForm* form_;
};

class TForm::Impl {
 public:
  Window* window = nullptr;
  QPointer<MdiFrame> frame;
  QPointer<QMdiArea> mdiArea;  // of an fsMDIForm
  QEventLoop* modalLoop = nullptr;
  TWindowState state = TWindowState::wsNormal;
  bool releaseAfterModal = false;
  std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

TForm::TForm(TComponent* owner) : TWinControl(owner, new Window(this)), impl_(new Impl) {
  impl_->window = static_cast<Window*>(Widget());
  StoreVisible(false);
}

void TForm::SetVisible(bool value) {
  if (value) {
    Show();
    return;
  }
  FrameWidget()->hide();
  StoreVisible(false);
}

TForm::~TForm() {
  *impl_->alive = false;
  if (OnDestroy) CallSafely([this] { OnDestroy(this); });
  if (impl_->modalLoop) impl_->modalLoop->quit();
  DestroyComponents();
  DetachControls();
  if (impl_->mdiArea) {
    // Children may outlive the main form: take their frames out of the area first.
    for (QMdiSubWindow* sub : impl_->mdiArea->subWindowList()) {
      sub->hide();
      impl_->mdiArea->removeSubWindow(sub);
    }
  }
  if (Application().MainForm() == this) Application().Forget(this);
  if (impl_->frame) delete impl_->frame.data();  // deletes the window inside it as well
}

QWidget* TForm::FrameWidget() const {
  if (impl_->frame) return impl_->frame;
  return impl_->window;
}

QWidget* TForm::ClientWidget() const {
  return impl_->window->client;
}

void TForm::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  impl_->window->setWindowTitle(ToQString(caption_));
  if (impl_->frame) impl_->frame->setWindowTitle(ToQString(caption_));
}

void TForm::SetFormStyle(TFormStyle style) {
  if (style == style_) return;
  if (impl_->frame || impl_->mdiArea) {
    throw rtl::Exception("O estilo de uma janela não pode mudar depois de definido.");
  }
  style_ = style;
  if (style == TFormStyle::fsMDIForm) {
    impl_->mdiArea = new QMdiArea(ClientWidget());
    impl_->mdiArea->setBackground(QApplication::palette().brush(QPalette::Dark));
    QObject::connect(impl_->mdiArea, &QMdiArea::subWindowActivated, impl_->mdiArea,
                     [](QMdiSubWindow* sub) {
                       if (TForm* form = FormOf(sub)) CallSafely([form] { form->DoActivate(); });
                     });
    SetRemainderWidget(impl_->mdiArea);
    WatchClientResizes();
    return;
  }
  if (style == TFormStyle::fsMDIChild) {
    TForm* main = Application().MainForm();
    QMdiArea* area = main && main != this ? main->impl_->mdiArea.data() : nullptr;
    if (!area) return;  // no MDI main window: the form stays a top-level window
    QRect geometry = impl_->window->geometry();
    auto* frame = new MdiFrame(this);
    frame->setWidget(impl_->window);
    frame->setWindowTitle(ToQString(caption_));
    area->addSubWindow(frame);
    frame->hide();
    frame->setGeometry(geometry);
    impl_->frame = frame;
  }
}

TWindowState TForm::WindowState() const {
  QWidget* frame = FrameWidget();
  if (!frame->isVisible()) return impl_->state;
  return StateOf(frame->windowState());
}

void TForm::SetWindowState(TWindowState state) {
  impl_->state = state;
  QWidget* frame = FrameWidget();
  if (!frame->isVisible()) return;
  switch (state) {
    case TWindowState::wsMinimized:
      frame->showMinimized();
      break;
    case TWindowState::wsMaximized:
      frame->showMaximized();
      break;
    default:
      frame->showNormal();
      break;
  }
}

void TForm::SetMenu(TMainMenu* menu) {
  auto* layout = static_cast<QVBoxLayout*>(impl_->window->layout());
  if (QWidget* old = layout->menuBar()) old->setParent(nullptr);
  layout->setMenuBar(menu ? menu->MenuBar() : nullptr);
  // The window carries the items too, so that their shortcuts work while it has the focus.
  if (!menu) return;
  for (int i = 0; i < menu->Count(); ++i) {
    for (QAction* action : menu->Items(i)->AllActions()) impl_->window->addAction(action);
  }
}

void TForm::Show() {
  QWidget* frame = FrameWidget();
  bool wasHidden = !frame->isVisible();
  StoreVisible(true);
  impl_->window->show();  // inside an MDI frame the content must be visible too
  if (wasHidden) {
    frame->setWindowState(QtStateOf(impl_->state));
    frame->show();
  }
  BringToFront();
  if (wasHidden && OnShow) OnShow(this);
}

void TForm::BringToFront() {
  QWidget* frame = FrameWidget();
  frame->raise();
  if (impl_->frame) {
    if (auto* area = impl_->frame->mdiArea()) area->setActiveSubWindow(impl_->frame);
  } else {
    frame->activateWindow();
  }
}

void TForm::SetFocus() {
  BringToFront();
}

TModalResult TForm::ShowModal() {
  if (impl_->frame) {
    throw rtl::Exception("Uma janela filha não pode ser mostrada de forma modal.");
  }
  if (impl_->window->isVisible()) {
    throw rtl::Exception("Uma janela visível não pode ser mostrada de forma modal.");
  }
  std::shared_ptr<bool> alive = impl_->alive;
  modalResult_ = mrNone;
  modal_ = true;
  impl_->window->setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  impl_->modalLoop = &loop;
  try {
    Show();
  } catch (...) {
    impl_->modalLoop = nullptr;
    modal_ = false;
    impl_->window->setWindowModality(Qt::NonModal);
    throw;
  }
  if (impl_->window->isVisible()) loop.exec(QEventLoop::DialogExec);
  if (!*alive) return mrCancel;  // destroyed while shown
  impl_->modalLoop = nullptr;
  modal_ = false;
  impl_->window->setWindowModality(Qt::NonModal);
  TModalResult result = modalResult_ == mrNone ? mrCancel : modalResult_;
  if (impl_->releaseAfterModal) {
    impl_->releaseAfterModal = false;
    Application().Release(this);
  }
  return result;
}

void TForm::SetModalResult(TModalResult result) {
  modalResult_ = result;
  if (modal_ && result != mrNone) Close();
}

void TForm::CloseRequestedByUser() {
  Close();
}

void TForm::Close() {
  if (closing_) return;
  closing_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{closing_};

  const bool isMainForm = Application().MainForm() == this;
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  TCloseAction action = TCloseAction::caHide;
  if (canClose && OnClose) OnClose(this, action);
  if (!canClose || action == TCloseAction::caNone) {
    if (modal_) modalResult_ = mrNone;
    return;
  }
  if (action == TCloseAction::caMinimize && !modal_) {
    SetWindowState(TWindowState::wsMinimized);
    return;
  }
  FrameWidget()->hide();
  StoreVisible(false);
  if (action == TCloseAction::caFree) {
    if (modal_) {
      impl_->releaseAfterModal = true;
    } else {
      Application().Release(this);
    }
  }
  if (modal_) {
    if (modalResult_ == mrNone) modalResult_ = mrCancel;
    if (impl_->modalLoop) impl_->modalLoop->quit();
  }
  if (isMainForm) Application().Terminate();
}

void TForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TForm::DoActivate() {
  if (OnActivate) OnActivate(this);
}

TForm* TScreen::ActiveForm() const {
  if (TForm* main = Application().MainForm()) {
    if (main->impl_->mdiArea) {
      if (TForm* child = FormOf(main->impl_->mdiArea->activeSubWindow())) return child;
    }
  }
  return FormOf(QApplication::activeWindow());
}

}  // namespace ui
