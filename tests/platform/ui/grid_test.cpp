#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <functional>
#include <map>

#include "db/dataset.h"
#include "db/datasource.h"
#include "rtl/convert.h"
#include "ui/application.h"
#include "ui/db_grid.h"
#include "ui/form.h"
#include "ui/keys.h"
#include "ui/scripted_dialogs.h"

namespace ui {
namespace {

TColor FromShot(const QImage& shot, int x, int y) {
  QColor c = shot.pixelColor(x, y);
  return RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
             static_cast<uint8_t>(c.blue()));
}

// Three rows of NOME / VALOR / COR; the grid shows VALOR, NOME (read-only) and COR, whose field
// is marked not visible.
class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rtl::DefaultFormatSettings() = rtl::FormatSettings::Brazilian();
    data_.AddStringField("NOME", 10);
    data_.AddFloatField("VALOR");
    data_.AddFloatField("COR").SetVisible(false);
    data_.CreateDataSet();
    const struct {
      const char* name;
      double value;
      TColor color;
    } rows[] = {{"um", 1.5, clRed}, {"dois", 2.5, clLime}, {"tres", 3.5, clBlue}};
    for (const auto& r : rows) {
      data_.Append();
      data_.FieldByName("NOME").SetAsString(r.name);
      data_.FieldByName("VALOR").SetAsFloat(r.value);
      data_.FieldByName("COR").SetAsFloat(r.color);
      data_.Post();
    }
    data_.MergeChangeLog();
    data_.First();
    source_.SetDataSet(&data_);

    form_.SetBounds(0, 0, 500, 300);
    grid_ = new TDBGrid(&form_);
    grid_->SetAlign(TAlign::alClient);
    grid_->SetParent(&form_);
    for (const char* name : {"VALOR", "NOME", "COR"}) {
      TColumn* column = grid_->Columns().Add();
      column->SetFieldName(name);
      column->SetWidth(100);
    }
    grid_->Columns()[1]->SetReadOnly(true);
    grid_->SetDataSource(&source_);
    form_.Show();
    form_.Widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.Widget()));
    View()->setFocus();
    Application().ProcessMessages();
  }

  QTableView* View() const { return static_cast<QTableView*>(grid_->Widget()); }

  // The widget that receives typing: the open editor, else the grid.
  QWidget* KeyTarget() const {
    for (QLineEdit* editor : View()->viewport()->findChildren<QLineEdit*>()) {
      if (editor->isVisible()) return editor;
    }
    return View();
  }
  void Type(const QString& text) {
    for (QChar c : text) QTest::keyClick(KeyTarget(), c.toLatin1());
  }
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(KeyTarget(), key, modifiers);
  }
  void ClickCell(int column, int row) {
    TRect r = grid_->CellRect(column, row);
    QPoint inViewport = QPoint(r.Left + r.Width() / 2, r.Top + r.Height() / 2) -
                        View()->viewport()->geometry().topLeft();
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, inViewport);
  }
  db::TField& Field(const char* name) { return data_.FieldByName(name); }

  db::TClientDataSet data_;
  db::TDataSource source_;
  TForm form_{nullptr};
  TDBGrid* grid_ = nullptr;
};

struct DrawCall {
  int row;
  std::string name;
  TColor brush;
  bool selected;
};

TEST_F(GridTest, DrawHandlerSeesTheDrawnRowAndPaintsOverTheDefaultDrawing) {
  TDBGridOptions options = grid_->Options();
  options.Include(TDBGridOption::dgAlwaysShowSelection);
  grid_->SetOptions(options);
  std::vector<DrawCall> calls;
  grid_->OnDrawColumnCell = [&](TComponent* sender, const TRect& rect, int dataCol, TColumn* column,
                                TGridDrawState state) {
    EXPECT_EQ(sender, grid_);
    EXPECT_EQ(dataCol, column->Index());
    TCanvas& canvas = grid_->Canvas();
    // The row being drawn, not the current record (which stays on row 0).
    int row = -1;
    for (int r = 0; r < 3; ++r) {
      if (grid_->CellRect(dataCol, r).Top - View()->viewport()->y() == rect.Top) row = r;
    }
    calls.push_back({row, Field("NOME").AsString(), canvas.Brush().Color(),
                     state.Contains(TGridDrawFlag::gdSelected)});
    if (column->FieldName() == "COR") {
      canvas.Brush().SetColor(column->Field()->AsInteger());
      canvas.FillRect(rect);
    } else if (column->FieldName() == "VALOR") {
      canvas.FillRect(Rect(rect.Left, rect.Top, rect.Left + 10, rect.Bottom));  // current brush
    }
  };
  QImage shot = grid_->Widget()->grab().toImage();

  // Once per data cell: 3 rows x 3 columns, nothing for titles or the indicator.
  ASSERT_EQ(calls.size(), 9u);
  const char* names[] = {"um", "dois", "tres"};
  for (const DrawCall& call : calls) {
    ASSERT_GE(call.row, 0);
    EXPECT_EQ(call.name, names[call.row]);
  }
  EXPECT_EQ(data_.RecNo(), 1);

  auto pixel = [&](int column, int row, int dx) {
    TRect r = grid_->CellRect(column, row);
    return FromShot(shot, r.Left + dx, r.Top + r.Height() / 2);
  };
  EXPECT_EQ(pixel(2, 0, 50), clRed);
  EXPECT_EQ(pixel(2, 1, 50), clLime);
  EXPECT_EQ(pixel(2, 2, 50), clBlue);
  // The selected cell of the current row is highlighted; the handler's fill takes that brush.
  EXPECT_EQ(pixel(0, 0, 5), ColorToRGB(clHighlight));
  EXPECT_EQ(pixel(0, 1, 5), ColorToRGB(clWindow));
  for (const DrawCall& call : calls) {
    const bool highlighted = call.row == 0 && call.brush == clHighlight;
    EXPECT_EQ(call.selected, highlighted);
  }
}

TEST_F(GridTest, FailingDrawHandlerIsReportedOnceAfterThePaint) {
  ScopedDialogs script;
  grid_->OnDrawColumnCell = [](TComponent*, const TRect&, int, TColumn*, TGridDrawState) {
    throw rtl::Exception("desenho falhou");
  };
  grid_->Widget()->grab();
  grid_->Widget()->grab();
  EXPECT_TRUE(script->Shown().empty());
  Application().ProcessMessages();
  ASSERT_EQ(script->Shown().size(), 1u);
  EXPECT_EQ(script->Shown()[0].text, "desenho falhou");
}

TEST_F(GridTest, CanvasOutsideAPaintRaises) {
  EXPECT_THROW(grid_->Canvas(), rtl::Exception);
}

TEST_F(GridTest, KeysReachOnKeyDownAsVirtualCodesByReference) {
  std::vector<std::pair<uint16_t, TShiftState>> seen;
  grid_->OnKeyDown = [&](TComponent*, uint16_t& key, TShiftState shift) {
    // The modifier keys arrive as keys of their own too.
    if (key != VK_SHIFT && key != VK_CONTROL && key != VK_MENU) seen.emplace_back(key, shift);
    key = 0;  // the grid must not act on any of them
  };
  const struct {
    Qt::Key qt;
    Qt::KeyboardModifiers modifiers;
    uint16_t vk;
    TShiftState shift;
  } cases[] = {
      {Qt::Key_F9, Qt::NoModifier, VK_F9, {}},
      {Qt::Key_F9, Qt::ShiftModifier, VK_F9, TShiftFlag::ssShift},
      {Qt::Key_Space, Qt::ControlModifier, VK_SPACE, TShiftFlag::ssCtrl},
      {Qt::Key_Insert, Qt::NoModifier, VK_INSERT, {}},
      {Qt::Key_Delete, Qt::ControlModifier, VK_DELETE, TShiftFlag::ssCtrl},
      {Qt::Key_Return, Qt::NoModifier, VK_RETURN, {}},
      {Qt::Key_Escape, Qt::NoModifier, VK_ESCAPE, {}},
      {Qt::Key_F2, Qt::NoModifier, VK_F2, {}},
      {Qt::Key_Down, Qt::NoModifier, VK_DOWN, {}},
      {Qt::Key_Left, Qt::AltModifier, VK_LEFT, TShiftFlag::ssAlt},
  };
  for (const auto& c : cases) Press(c.qt, c.modifiers);
  ASSERT_EQ(seen.size(), std::size(cases));
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].first, cases[i].vk) << i;
    EXPECT_EQ(seen[i].second, cases[i].shift) << i;
  }
  // Key set to 0: neither F2 opened an editor nor Down moved the record.
  EXPECT_FALSE(grid_->EditorMode());
  EXPECT_EQ(data_.RecNo(), 1);
  EXPECT_EQ(data_.State(), db::DataSetState::Browse);
}

TEST_F(GridTest, KeyLeftUnchangedIsHandledByTheGrid) {
  uint16_t seen = 0;
  grid_->OnKeyDown = [&](TComponent*, uint16_t& key, TShiftState) { seen = key; };
  Press(Qt::Key_Down);
  EXPECT_EQ(seen, VK_DOWN);
  EXPECT_EQ(data_.RecNo(), 2);
}

TEST_F(GridTest, DgEditingSwitchesTypingOnAndOff) {
  TDBGridOptions options = grid_->Options();
  options.Exclude(TDBGridOption::dgEditing);
  grid_->SetOptions(options);
  Type("7");
  EXPECT_FALSE(grid_->EditorMode());
  EXPECT_EQ(data_.State(), db::DataSetState::Browse);

  options.Include(TDBGridOption::dgEditing);
  grid_->SetOptions(options);
  Type("7");
  EXPECT_TRUE(grid_->EditorMode());
  EXPECT_EQ(data_.State(), db::DataSetState::Edit);
}

TEST_F(GridTest, ReadOnlyColumnCannotBeTypedInto) {
  grid_->SetSelectedIndex(1);
  Type("x");
  EXPECT_FALSE(grid_->EditorMode());
  EXPECT_EQ(data_.State(), db::DataSetState::Browse);
  EXPECT_EQ(Field("NOME").AsString(), "um");
}

TEST_F(GridTest, TypedFloatUsesTheDecimalCommaAndLeavingTheRowPostsIt) {
  Type("12,5");
  Press(Qt::Key_Return);
  EXPECT_EQ(data_.State(), db::DataSetState::Edit);
  EXPECT_DOUBLE_EQ(Field("VALOR").AsFloat(), 12.5);

  Press(Qt::Key_Down);
  EXPECT_EQ(data_.State(), db::DataSetState::Browse);
  EXPECT_EQ(data_.RecNo(), 2);
  EXPECT_EQ(data_.ChangeCount(), 1);
  data_.First();
  EXPECT_DOUBLE_EQ(Field("VALOR").AsFloat(), 12.5);
}

TEST_F(GridTest, MovingWithTheEditorOpenWritesItsTextAndPosts) {
  Type("9");
  Press(Qt::Key_Down);  // straight from the editor
  EXPECT_EQ(data_.State(), db::DataSetState::Browse);
  EXPECT_EQ(data_.RecNo(), 2);
  data_.First();
  EXPECT_DOUBLE_EQ(Field("VALOR").AsFloat(), 9);
}

TEST_F(GridTest, RefusedPostKeepsTheRowItsValuesAndReportsTheFailure) {
  ScopedDialogs script;
  data_.BeforePost = [](db::TDataSet&) { throw rtl::Exception("Valor Final deve ser informado."); };
  Type("8");
  Press(Qt::Key_Return);
  ClickCell(0, 2);

  ASSERT_EQ(script->Shown().size(), 1u);
  EXPECT_EQ(script->Shown()[0].text, "Valor Final deve ser informado.");
  EXPECT_EQ(data_.State(), db::DataSetState::Edit);
  EXPECT_EQ(data_.RecNo(), 1);
  EXPECT_DOUBLE_EQ(Field("VALOR").AsFloat(), 8);
  EXPECT_EQ(View()->currentIndex().row(), 0);
}

TEST_F(GridTest, RefusedTextKeepsTheCellAndReportsTheFailure) {
  ScopedDialogs script;
  Type("abc");
  Press(Qt::Key_Down);
  ASSERT_EQ(script->Shown().size(), 1u);
  EXPECT_EQ(data_.RecNo(), 1);
  EXPECT_DOUBLE_EQ(Field("VALOR").AsFloat(), 1.5);
}

TEST_F(GridTest, EscapeCancelsTheEdit) {
  Type("4");
  Press(Qt::Key_Escape);
  EXPECT_FALSE(grid_->EditorMode());
  EXPECT_EQ(data_.State(), db::DataSetState::Browse);
  EXPECT_DOUBLE_EQ(Field("VALOR").AsFloat(), 1.5);
}

TEST_F(GridTest, PostFromElsewhereTakesTheTextBeingTyped) {
  Type("6");
  data_.Post();
  EXPECT_FALSE(grid_->EditorMode());
  EXPECT_DOUBLE_EQ(Field("VALOR").AsFloat(), 6);
}

TEST_F(GridTest, TypingIntoAnInsertedRowStaysAnInsert) {
  data_.Insert();
  Type("3");
  Press(Qt::Key_Return);
  EXPECT_EQ(data_.State(), db::DataSetState::Insert);
  EXPECT_DOUBLE_EQ(Field("VALOR").AsFloat(), 3);
}

TEST_F(GridTest, ClickAndColumnChangesFireTheirEvents) {
  std::vector<std::string> events;
  grid_->OnColEnter = [&](TComponent*) {
    events.push_back("enter " + grid_->SelectedField()->FieldName());
  };
  grid_->OnCellClick = [&](TColumn* column) { events.push_back("click " + column->FieldName()); };
  ClickCell(2, 1);
  EXPECT_EQ(data_.RecNo(), 2);
  EXPECT_EQ(grid_->SelectedIndex(), 2);
  EXPECT_EQ(events, (std::vector<std::string>{"enter COR", "click COR"}));
}

TEST_F(GridTest, FocusControlSelectsTheFieldsColumnInTheCurrentRow) {
  data_.Next();
  View()->clearFocus();
  int entered = 0;
  grid_->OnColEnter = [&](TComponent*) { ++entered; };
  Field("COR").FocusControl();
  EXPECT_EQ(grid_->SelectedIndex(), 2);
  EXPECT_EQ(grid_->SelectedField(), &Field("COR"));
  EXPECT_EQ(entered, 1);
  EXPECT_EQ(View()->currentIndex().row(), 1);
  EXPECT_EQ(View()->currentIndex().column(), 2);
  EXPECT_TRUE(View()->hasFocus());
}

// What the window shows once the event loop has turned (its backing store) is what a fresh
// drawing of the grid shows: no change of the data set leaves stale cells or marks behind.
TEST_F(GridTest, ScreenShowsEveryChangeOnceTheEventLoopTurns) {
  const struct {
    const char* name;
    std::function<void(db::TClientDataSet&)> change;
  } cases[] = {
      {"reloaded with other values",
       [](auto& ds) {
         db::TClientDataSet other;
         other.AddStringField("NOME", 10);
         other.AddFloatField("VALOR");
         other.AddFloatField("COR");
         other.CreateDataSet();
         for (double value : {4.5, 5.5, 6.5}) {
           other.Append();
           other.FieldByName("VALOR").SetAsFloat(value);
           other.Post();
         }
         ds.SetData(other.Data());
       }},
      {"value of another row",
       [](auto& ds) {
         ds.Last();
         ds.Edit();
         ds.FieldByName("VALOR").SetAsFloat(99);
         ds.Post();
         ds.First();
       }},
      {"insert", [](auto& ds) { ds.Insert(); }},
      {"posted insert",
       [](auto& ds) {
         ds.FieldByName("VALOR").SetAsFloat(7);
         ds.Post();
       }},
      {"edit",
       [](auto& ds) {
         ds.Edit();
         ds.FieldByName("VALOR").SetAsFloat(8);
       }},
      {"changes undone", [](auto& ds) { ds.CancelUpdates(); }},
      {"delete", [](auto& ds) { ds.Delete(); }},
      {"filter",
       [](auto& ds) {
         ds.SetFilter("VALOR > 3");
         ds.SetFiltered(true);
       }},
      {"closed", [](auto& ds) { ds.Close(); }},
  };
  QWidget* window = form_.Widget()->window();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.change(data_);
    // Two turns: a layout run by the first may ask for a paint of its own.
    Application().ProcessMessages();
    Application().ProcessMessages();
    const QImage shown = window->screen()
                             ->grabWindow(window->winId())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    const QImage drawn = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, drawn);
  }
}

// Rows coming or going bring the current record into view, even after the user scrolled away
// from it.
TEST_F(GridTest, RowsComingOrGoingShowTheCurrentRecord) {
  const struct {
    const char* name;
    std::function<void(db::TClientDataSet&)> change;
  } cases[] = {
      {"insert", [](auto& ds) { ds.Insert(); }},
      {"delete", [](auto& ds) { ds.Delete(); }},
      {"cancelled insert",
       [&](auto& ds) {
         ds.Insert();
         View()->scrollToBottom();
         ds.Cancel();
       }},
  };
  for (int i = 0; i < 60; ++i) {
    data_.Append();
    Field("VALOR").SetAsFloat(10 + i);
    data_.Post();
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    data_.First();
    View()->scrollToBottom();
    Application().ProcessMessages();
    ASSERT_EQ(grid_->CellRect(0, 0), TRect{}) << "the first row is out of view";
    c.change(data_);
    Application().ProcessMessages();
    EXPECT_NE(grid_->CellRect(0, std::max(0, data_.DisplayRow())), TRect{});
    if (data_.State() != db::DataSetState::Browse) data_.Cancel();
  }
}

// The indicator column fits its mark whatever the mark and the font, and whichever row holds it.
TEST_F(GridTest, IndicatorColumnFitsItsMarkInEveryStateAndFont) {
  const QHeaderView* indicator = View()->verticalHeader();
  const auto fits = [&](const char* mark) {
    QFont bold = indicator->font();
    bold.setBold(true);
    return indicator->width() >= QFontMetrics(bold).horizontalAdvance(QString::fromUtf8(mark));
  };
  const int width = indicator->width();
  EXPECT_TRUE(fits("▶"));
  data_.Last();
  EXPECT_EQ(indicator->width(), width) << "the same width on another row";
  data_.Edit();
  EXPECT_TRUE(fits("I"));
  data_.Cancel();
  data_.Insert();
  EXPECT_TRUE(fits("*"));
  data_.Cancel();

  QFont large = View()->font();
  large.setPointSize(large.pointSize() * 4);
  View()->setFont(large);
  Application().ProcessMessages();
  EXPECT_GT(indicator->width(), width);
  EXPECT_TRUE(fits("▶"));
}

TEST_F(GridTest, EmptyDataSetShowsOneBlankRowWhoseFieldsReadMissing) {
  data_.CreateDataSet();  // reopened empty
  std::vector<std::string> texts;
  grid_->OnDrawColumnCell = [&](TComponent*, const TRect&, int, TColumn* column, TGridDrawState) {
    texts.push_back(column->Field()->AsString());
  };
  grid_->Widget()->grab();
  EXPECT_EQ(texts, (std::vector<std::string>{"", "", ""}));

  data_.Close();
  texts.clear();
  grid_->Widget()->grab();
  EXPECT_TRUE(texts.empty());
}

// What the grid shows after a change of the data set: one entry per row, the indicator's mark
// then the VALOR text ("*|" is the blank new row being inserted), and the current row.
struct RowsCase {
  const char* name;
  std::function<void(db::TClientDataSet&)> change;
  std::vector<std::string> rows;
  int current;
};

class GridRowsTest : public GridTest, public ::testing::WithParamInterface<RowsCase> {};

TEST_P(GridRowsTest, RowsCurrentRowAndIndicatorFollowTheDataSet) {
  GetParam().change(data_);
  const QAbstractItemModel* model = View()->model();
  std::vector<std::string> rows;
  for (int row = 0; row < model->rowCount(); ++row) {
    rows.push_back(model->headerData(row, Qt::Vertical, Qt::DisplayRole).toString().toStdString() +
                   "|" + model->index(row, 0).data().toString().toStdString());
  }
  EXPECT_EQ(rows, GetParam().rows);
  EXPECT_EQ(View()->currentIndex().row(), GetParam().current);
  if (GetParam().current >= 0) {
    EXPECT_EQ(View()->currentIndex().column(), grid_->SelectedIndex());
  }
  // The indicator column has one section per row, each laid out.
  const QHeaderView* indicator = View()->verticalHeader();
  EXPECT_EQ(indicator->count(), model->rowCount());
  EXPECT_EQ(indicator->length(), model->rowCount() * indicator->defaultSectionSize());
}

INSTANTIATE_TEST_SUITE_P(
    Changes, GridRowsTest,
    ::testing::Values(
        RowsCase{"MovedToTheLast", [](auto& ds) { ds.Last(); }, {"|1,5", "|2,5", "▶|3,5"}, 2},
        RowsCase{"InsertBeforeTheCurrent",
                 [](auto& ds) {
                   ds.Next();
                   ds.Insert();
                 },
                 {"|1,5", "*|", "|2,5", "|3,5"},
                 1},
        RowsCase{"Append", [](auto& ds) { ds.Append(); }, {"|1,5", "|2,5", "|3,5", "*|"}, 3},
        RowsCase{"CancelledInsert",
                 [](auto& ds) {
                   ds.Next();
                   ds.Insert();
                   ds.Cancel();
                 },
                 {"|1,5", "▶|2,5", "|3,5"},
                 1},
        RowsCase{"PostedInsert",
                 [](auto& ds) {
                   ds.Next();
                   ds.Insert();
                   ds.FieldByName("VALOR").SetAsFloat(7);
                   ds.Post();
                 },
                 {"|1,5", "▶|7", "|2,5", "|3,5"},
                 1},
        RowsCase{"PostedAppend",
                 [](auto& ds) {
                   ds.Append();
                   ds.FieldByName("VALOR").SetAsFloat(7);
                   ds.Post();
                 },
                 {"|1,5", "|2,5", "|3,5", "▶|7"},
                 3},
        RowsCase{"Edit",
                 [](auto& ds) {
                   ds.Edit();
                   ds.FieldByName("VALOR").SetAsFloat(4);
                 },
                 {"I|4", "|2,5", "|3,5"},
                 0},
        RowsCase{"DeletedLast",
                 [](auto& ds) {
                   ds.Last();
                   ds.Delete();
                 },
                 {"|1,5", "▶|2,5"},
                 1},
        RowsCase{"DeletedFirst", [](auto& ds) { ds.Delete(); }, {"▶|2,5", "|3,5"}, 0},
        RowsCase{"EveryChangeUndone",
                 [](auto& ds) {
                   ds.Delete();
                   ds.Append();
                   ds.FieldByName("VALOR").SetAsFloat(7);
                   ds.Post();
                   ds.CancelUpdates();
                 },
                 {"|1,5", "|2,5", "▶|3,5"},
                 2},
        RowsCase{"Filtered",
                 [](auto& ds) {
                   ds.Last();
                   ds.SetFilter("VALOR > 2");
                   ds.SetFiltered(true);
                 },
                 {"▶|2,5", "|3,5"},
                 0},
        RowsCase{"Closed", [](auto& ds) { ds.Close(); }, {}, -1},
        RowsCase{"ReopenedEmpty", [](auto& ds) { ds.CreateDataSet(); }, {"▶|"}, 0},
        RowsCase{"InsertIntoAnEmptyDataSet",
                 [](auto& ds) {
                   ds.CreateDataSet();
                   ds.Insert();
                 },
                 {"*|"},
                 0}),
    [](const ::testing::TestParamInfo<RowsCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ui
