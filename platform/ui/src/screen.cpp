#include <QCursor>
#include <QGuiApplication>

#include "ui/application.h"

namespace ui {
namespace {

Qt::CursorShape ShapeOf(TCursor cursor) {
  switch (cursor) {
    case crHourGlass:
      return Qt::WaitCursor;
    case crCross:
      return Qt::CrossCursor;
    case crIBeam:
      return Qt::IBeamCursor;
    case crHandPoint:
      return Qt::PointingHandCursor;
    default:
      return Qt::ArrowCursor;
  }
}

}  // namespace

TScreen& Screen() {
  static TScreen screen;
  return screen;
}

void TScreen::SetCursor(TCursor cursor) {
  cursor_ = cursor;
  if (cursor == crDefault) {
    if (overridePushed_) QGuiApplication::restoreOverrideCursor();
    overridePushed_ = false;
    return;
  }
  if (overridePushed_) {
    QGuiApplication::changeOverrideCursor(QCursor(ShapeOf(cursor)));
  } else {
    QGuiApplication::setOverrideCursor(QCursor(ShapeOf(cursor)));
    overridePushed_ = true;
  }
}

}  // namespace ui
