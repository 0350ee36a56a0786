#include <QGuiApplication>
#include <QPalette>

#include "qt_convert.h"
#include "ui/color.h"

namespace ui {
namespace {

// The palette role that plays each system colour's part, with its colour group.
bool RoleOf(int index, QPalette::ColorGroup& group, QPalette::ColorRole& role) {
  group = QPalette::Active;
  switch (index) {
    case 0:
      role = QPalette::Mid;
      return true;  // scroll bar
    case 1:
      role = QPalette::Window;
      return true;  // desktop background
    case 2:
      role = QPalette::Highlight;
      return true;  // active caption
    case 3:
      group = QPalette::Inactive;
      role = QPalette::Highlight;
      return true;
    case 4:
      role = QPalette::Window;
      return true;  // menu
    case 5:
      role = QPalette::Base;
      return true;  // window
    case 6:
      role = QPalette::Shadow;
      return true;  // window frame
    case 7:
      role = QPalette::WindowText;
      return true;  // menu text
    case 8:
      role = QPalette::Text;
      return true;  // window text
    case 9:
      role = QPalette::HighlightedText;
      return true;  // caption text
    case 13:
      role = QPalette::Highlight;
      return true;
    case 14:
      role = QPalette::HighlightedText;
      return true;
    case 15:
      role = QPalette::Button;
      return true;
    case 16:
      role = QPalette::Dark;
      return true;
    case 17:
      group = QPalette::Disabled;
      role = QPalette::Text;
      return true;
    case 18:
      role = QPalette::ButtonText;
      return true;
    case 20:
      role = QPalette::Light;
      return true;
    case 21:
      role = QPalette::Shadow;
      return true;
    case 22:
      role = QPalette::Midlight;
      return true;
    case 23:
      role = QPalette::ToolTipText;
      return true;
    case 24:
      role = QPalette::ToolTipBase;
      return true;
    default:
      return false;
  }
}

}  // namespace

TColor ColorToRGB(TColor color) {
  if (!IsSystemColor(color)) return color & 0x00FFFFFF;
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
  if (!RoleOf(color & 0xFF, group, role)) return clBlack;
  return FromQColor(QGuiApplication::palette().color(group, role));
}

}  // namespace ui
