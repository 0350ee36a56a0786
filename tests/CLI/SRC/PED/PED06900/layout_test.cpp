// The range screen as a user sees it once opened: caption and code, the grid's columns, the
// fields behind them, the message texts, the pictures, the colour dialog and the connection.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QTableView>

#include "Cli_ped06900_pictures.h"
#include "screen_fixture.h"
#include "ui/label.h"
#include "ui/panel.h"

namespace {

using ped06900_test::RealServer;

class Layout : public ped06900_test::ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    server_ = std::make_unique<RealServer>();
    screen_ = &Open();
  }
  std::unique_ptr<RealServer> server_;
  Cli_ped06900::TfrmRentab* screen_ = nullptr;
};

TEST_F(Layout, FormShowsItsCaptionAndScreenCode) {
  EXPECT_EQ(screen_->Caption(), "Rentabilidade");
  EXPECT_EQ(screen_->lblCodTela->Caption(), "PED06900");
}

TEST_F(Layout, GridShowsFourColumnsInOrderAndNeverTheKey) {
  struct Expected {
    const char* field;
    const char* title;
    int width;
    bool readOnly;
    ui::TAlignment alignment;
  };
  const Expected expected[] = {
      {"VRPERCINIRENT", "Porcentagem Inicial", 105, false, ui::TAlignment::taLeftJustify},
      {"VRPERCFIMRENT", "Porcentagem Final", 103, false, ui::TAlignment::taLeftJustify},
      {"IDBLOQUEIAPED", "Bloqueia Pedido", 89, true, ui::TAlignment::taCenter},
      {"VRCORRENT", "Cor", 153, false, ui::TAlignment::taLeftJustify},
  };
  ui::TDBGrid& grid = *screen_->dbgPadrao;
  auto* view = qobject_cast<QTableView*>(grid.Widget());
  if (!view) view = grid.Widget()->findChild<QTableView*>();
  ASSERT_NE(view, nullptr);
  QAbstractItemModel& model = *view->model();
  ASSERT_EQ(grid.Columns().Count(), 4);
  ASSERT_EQ(model.columnCount(), 4);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(expected[i].field);
    ui::TColumn& column = *grid.Columns()[i];
    EXPECT_EQ(column.FieldName(), expected[i].field);
    EXPECT_EQ(column.Field(), screen_->cdsRentab->FindField(expected[i].field));
    EXPECT_EQ(column.Title().Caption(), expected[i].title);
    EXPECT_EQ(column.Title().Caption(), column.Field()->DisplayLabel());
    EXPECT_EQ(model.headerData(i, Qt::Horizontal, Qt::DisplayRole).toString().toStdString(),
              expected[i].title);
    EXPECT_EQ(column.Width(), expected[i].width);
    EXPECT_EQ(column.ReadOnly(), expected[i].readOnly);
    EXPECT_EQ(column.Title().Alignment(), expected[i].alignment);
    EXPECT_TRUE(column.Visible());
  }
}

TEST_F(Layout, RangeRecordFieldsCarryTheirTypesLabelsVisibilityAndProviderFlags) {
  struct Expected {
    const char* name;
    db::FieldType type;
    int size;
    const char* label;
    bool visible;
    db::ProviderFlags flags;
  };
  const Expected expected[] = {
      {"NRSEQRENT", db::FieldType::String, 10, "NRSEQRENT", false, {}},
      {"VRPERCINIRENT", db::FieldType::Float, 0, "Porcentagem Inicial", true, {}},
      {"VRPERCFIMRENT", db::FieldType::Float, 0, "Porcentagem Final", true, {}},
      {"VRCORRENT", db::FieldType::Float, 0, "Cor", false, {}},
      {"IDBLOQUEIAPED", db::FieldType::String, 1, "Bloqueia Pedido", false,
       db::ProviderFlags::None()},
  };
  db::TClientDataSet& ranges = *screen_->cdsRentab;
  ASSERT_EQ(ranges.FieldCount(), 5);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(expected[i].name);
    db::TField& field = ranges.Field(i);
    EXPECT_EQ(field.FieldName(), expected[i].name);
    EXPECT_EQ(field.DataType(), expected[i].type);
    EXPECT_EQ(field.Size(), expected[i].size);
    EXPECT_EQ(field.DisplayLabel(), expected[i].label);
    EXPECT_EQ(field.Visible(), expected[i].visible);
    EXPECT_EQ(field.GetProviderFlags(), expected[i].flags);
  }
  EXPECT_EQ(screen_->cdsSequencia->FieldByName("SEQUENCIAL").Size(), 10);
  EXPECT_EQ(screen_->cdsAuxiliar->FieldByName("NRSEQRENT").Size(), 10);
  EXPECT_FALSE(screen_->cdsSequencia->Active()) << "opened by its first answer only";
  EXPECT_FALSE(screen_->cdsAuxiliar->Active());
}

TEST_F(Layout, EachMessageKeyYieldsItsWholeText) {
  const std::pair<const char*, const char*> messages[] = {
      {"Excl", "Confirma exclusão?"},
      {"Vr_Ini", "Valor Inicial deve ser informado."},
      {"Vr_Fim", "Valor Final deve ser informado."},
      {"Cor", "Cor deve ser definida."},
      {"Inic<Fina", "Valor Inicial deve ser menor que o Valor Final."},
      {"Interv", "Valor já cadastrado em outro intervalo."},
  };
  EXPECT_EQ(screen_->msgPadrao->Lines.size(), std::size(messages));
  for (const auto& [key, text] : messages) {
    EXPECT_EQ(screen_->msgPadrao->Msg(key), text) << key;
  }
  EXPECT_EQ(screen_->DeleteQuestion(), "Confirma exclusão?");
}

TEST_F(Layout, HiddenImagesHoldTheThreePictures) {
  const struct {
    ui::TImage* image;
    ui::TBitmap picture;
    int left;
  } images[] = {{screen_->imgCheck, Cli_ped06900::CheckPicture(), 391},
                {screen_->imgUncheck, Cli_ped06900::UncheckPicture(), 407},
                {screen_->imgDescheck, Cli_ped06900::DescheckPicture(), 423}};
  for (const auto& c : images) {
    SCOPED_TRACE(c.image->Name());
    EXPECT_FALSE(c.image->Visible());
    EXPECT_EQ(c.image->Parent(), static_cast<ui::TWinControl*>(screen_->panNavigator));
    EXPECT_EQ(c.image->BoundsRect(), ui::Bounds(c.left, 2, 16, 16));
    ASSERT_EQ(c.image->Picture().Width(), 16);
    ASSERT_EQ(c.image->Picture().Height(), 16);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        ASSERT_EQ(c.image->Picture().Pixel(x, y), c.picture.Pixel(x, y)) << x << "," << y;
      }
    }
  }
}

TEST_F(Layout, ColourDialogAndConnectionSettings) {
  EXPECT_EQ(screen_->cldCor->Color(), ui::clInfoBk);
  EXPECT_TRUE(screen_->cldCor->Ctl3D());
  EXPECT_EQ(screen_->netRentab->ServerName(), "ped06900.rdmRentab");
  EXPECT_FALSE(screen_->netRentab->ThrowException());
}

}  // namespace
