#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>

#include "rtl/exceptions.h"
#include "ui/application.h"

namespace ui {
namespace {

int OverrideDepth() {
  // Counts the override cursors on Qt's stack by popping them, then pushes them back.
  std::vector<Qt::CursorShape> shapes;
  while (const QCursor* c = QGuiApplication::overrideCursor()) {
    shapes.push_back(c->shape());
    QGuiApplication::restoreOverrideCursor();
  }
  for (auto it = shapes.rbegin(); it != shapes.rend(); ++it) {
    QGuiApplication::setOverrideCursor(QCursor(*it));
  }
  return static_cast<int>(shapes.size());
}

TEST(ScreenCursorTest, NormalPathLeavesNoOverride) {
  Screen().SetCursor(crHourGlass);
  EXPECT_EQ(OverrideDepth(), 1);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  Screen().SetCursor(crDefault);
  EXPECT_EQ(OverrideDepth(), 0);
  EXPECT_EQ(Screen().Cursor(), crDefault);
}

TEST(ScreenCursorTest, RepeatedAndMixedSetsHoldOneOverride) {
  Screen().SetCursor(crHourGlass);
  Screen().SetCursor(crHourGlass);
  Screen().SetCursor(crHandPoint);
  EXPECT_EQ(OverrideDepth(), 1);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
  Screen().SetCursor(crDefault);
  Screen().SetCursor(crDefault);
  EXPECT_EQ(OverrideDepth(), 0);
}

TEST(ScreenCursorTest, FailingPathKeepsHourglassUntilTheNextOpeningRestoresIt) {
  auto open = [](bool fail) {
    Screen().SetCursor(crHourGlass);
    if (fail) throw rtl::Exception("falha ao abrir");
    Screen().SetCursor(crDefault);
  };
  EXPECT_THROW(open(true), rtl::Exception);
  EXPECT_EQ(Screen().Cursor(), crHourGlass);
  EXPECT_EQ(OverrideDepth(), 1);
  open(false);
  EXPECT_EQ(OverrideDepth(), 0);
}

}  // namespace
}  // namespace ui
