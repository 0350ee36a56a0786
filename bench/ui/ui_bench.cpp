// Figures of the data-aware grid: the paint after a jump to the last of 100,000 records,
// against the paint of the same visible cells of a 100-record data set (the baseline, measured
// in the same run), and the time to attach the grid to each data set. Run with
// QT_QPA_PLATFORM=offscreen on machines with no display.

#include <QApplication>
#include <QPixmap>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "../common/range_fields.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "ui/application.h"
#include "ui/db_grid.h"
#include "ui/form.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Load(db::TClientDataSet& data, int rows) {
  db::DataPacket packet;
  packet.fields = {{"NRSEQRENT", db::FieldType::String, 10, {}},
                   {"VRPERCINIRENT", db::FieldType::Float, 0, {}},
                   {"VRPERCFIMRENT", db::FieldType::Float, 0, {}},
                   {"VRCORRENT", db::FieldType::Float, 0, {}},
                   {"IDBLOQUEIAPED", db::FieldType::String, 1, db::ProviderFlags::None()}};
  packet.rows.reserve(rows);
  for (int i = 0; i < rows; ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "%010d", i + 1);
    packet.rows.push_back({rtl::Variant(std::string(key)), rtl::Variant(i * 1.0),
                           rtl::Variant(i + 0.99), rtl::Variant(255.0 * (i % 3)),
                           rtl::Variant(std::string(i % 2 ? "S" : "N"))});
  }
  data.LoadPacket(std::move(packet));
}

struct Figures {
  double attach;
  double jumpPaint;  // median of several
};

Figures Measure(int rows) {
  db::TClientDataSet data;
  AddRangeFields(data);
  Load(data, rows);
  db::TDataSource source(&data);

  ui::TForm form(nullptr);
  form.SetBounds(0, 0, 513, 267);
  auto* grid = new ui::TDBGrid(&form);
  grid->SetAlign(ui::TAlign::alClient);
  grid->SetParent(&form);
  for (const char* name : {"VRPERCINIRENT", "VRPERCFIMRENT", "IDBLOQUEIAPED", "VRCORRENT"}) {
    grid->Columns().Add()->SetFieldName(name);
  }
  grid->OnDrawColumnCell = [grid](ui::TComponent*, const ui::TRect& rect, int, ui::TColumn* c,
                                  ui::TGridDrawState) {
    if (c->FieldName() != "VRCORRENT") return;
    grid->Canvas().Brush().SetColor(c->Field()->AsInteger());
    grid->Canvas().FillRect(rect);
  };
  form.Show();

  Figures figures{};
  auto start = Clock::now();
  grid->SetDataSource(&source);
  figures.attach = MillisecondsSince(start);

  std::vector<double> samples;
  for (int i = 0; i < 9; ++i) {
    data.First();
    grid->Widget()->grab();
    start = Clock::now();
    data.Last();
    grid->Widget()->grab();  // paints every visible cell
    samples.push_back(MillisecondsSince(start));
  }
  std::sort(samples.begin(), samples.end());
  figures.jumpPaint = samples[samples.size() / 2];
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const Figures baseline = Measure(100);
  const Figures big = Measure(100000);
  std::printf("grid, jump to the last record and paint (median of 9):\n");
  std::printf("  100 records (baseline):  %8.2f ms\n", baseline.jumpPaint);
  std::printf("  100,000 records:         %8.2f ms  (ratio %.2f)\n", big.jumpPaint,
              big.jumpPaint / baseline.jumpPaint);
  std::printf("grid, attach to the data source:\n");
  std::printf("  100 records (baseline):  %8.2f ms\n", baseline.attach);
  std::printf("  100,000 records:         %8.2f ms  (ratio %.2f)\n", big.attach,
              big.attach / baseline.attach);
  ui::Application().Shutdown();
  return 0;
}
