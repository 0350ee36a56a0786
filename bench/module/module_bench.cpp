// End-to-end figures of the range screen over the real app server on loopback, offscreen:
//   bare load   GetRentab into a data set of the five range fields over its own connection
//   open        IniProc until the screen is shown with its ranges loaded and painted
//   jump        moving to the last range and repainting the grid
// with 1,000 and 100,000 stored ranges. Each figure is the median of a few runs; the report
// gives them as ratios to the bare load measured in the same run.
//   bench_module [runs]   (default 5)

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "../common/range_fields.h"
#include "../common/seeded_server.h"
#include "Cli_ped06900.h"
#include "appserver/app.h"
#include "db/dataset.h"
#include "orv/consiste.h"
#include "orv/valmora.h"
#include "ped06900/range_csv.h"
#include "ped06900/sqlite_range_store.h"
#include "ui/application.h"
#include "ui/db_grid.h"
#include "ui/form.h"

namespace {

using Clock = std::chrono::steady_clock;

double MedianMs(int runs, const std::function<void()>& prepare, const std::function<void()>& timed,
                const std::function<void()>& cleanup) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    prepare();
    const auto start = Clock::now();
    timed();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    cleanup();
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

// Ranges of 1 point each, 2 points apart, so that none overlaps another.
std::string RangesCsv(int count) {
  std::ostringstream csv;
  csv << "NRSEQRENT;VRPERCINIRENT;VRPERCFIMRENT;VRCORRENT;IDBLOQUEIAPED\n";
  for (int i = 1; i <= count; ++i) {
    char key[11];
    std::snprintf(key, sizeof key, "%010d", i);
    csv << key << ';' << i * 2 << ';' << i * 2 + 1 << ';' << (i * 2654435761u) % 16777216 << ';'
        << (i % 3 ? 'N' : 'S') << '\n';
  }
  return csv.str();
}

struct Figures {
  double bare = 0;
  double open = 0;
  double jump = 0;
};

void OpenScreen() {
  IniProc(rtl::Variant());
  ui::Application().ProcessMessages();
  Cli_ped06900::frmRentab->dbgPadrao->Repaint();
}

void CloseScreen() {
  if (Cli_ped06900::boIdCriado) Cli_ped06900::frmRentab->Close();
  ui::Application().ProcessMessages();
}

Figures Measure(int count, int runs) {
  const auto folder = std::filesystem::temp_directory_path() /
                      ("bench_module_" + std::to_string(::getpid()) + "_" + std::to_string(count));
  auto server = StartSeededServer(folder, RangesCsv(count));

  Figures figures;
  orv::TNetConnection connection;
  ConnectBare(connection, server->Port());
  db::TClientDataSet ranges;
  AddRangeFields(ranges);
  figures.bare = MedianMs(
      runs, [] {},
      [&] {
        ranges.SetData(orv::CheckResultServ(connection.AppServer().Call("GetRentab"), true, 0));
      },
      [&] { ranges.Close(); });
  figures.open = MedianMs(
      runs, [] {}, OpenScreen, CloseScreen);
  OpenScreen();
  db::TClientDataSet& shown = *Cli_ped06900::frmRentab->cdsRentab;
  figures.jump = MedianMs(
      runs,
      [&] {
        shown.First();
        Cli_ped06900::frmRentab->dbgPadrao->Repaint();
      },
      [&] {
        shown.Last();
        Cli_ped06900::frmRentab->dbgPadrao->Repaint();
      },
      [] {});
  if (shown.RecordCount() != count) std::fprintf(stderr, "the screen lists too few ranges\n");
  CloseScreen();
  server->Stop();
  std::filesystem::remove_all(folder);
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  QApplication app(argc, argv);
  auto* host = ui::Application().CreateForm<ui::TForm>();
  host->SetFormStyle(ui::TFormStyle::fsMDIForm);
  host->SetBounds(0, 0, 1000, 700);
  host->Show();

  const Figures small = Measure(1000, runs);
  const Figures large = Measure(100000, runs);
  std::printf("ranges   bare load ms   open ms   open/bare   open-bare ms   jump ms   jump/bare\n");
  for (const auto& [count, f] : {std::pair{1000, small}, std::pair{100000, large}}) {
    std::printf("%7d   %12.2f   %7.2f   %9.2f   %12.2f   %7.2f   %9.3f\n", count, f.bare, f.open,
                f.open / f.bare, f.open - f.bare, f.jump, f.jump / f.bare);
  }
  std::printf("growth 1,000 -> 100,000 ranges: bare load x%.1f, open x%.1f\n",
              large.bare / small.bare, large.open / small.open);
  std::printf(
      "targets: open-bare at 1,000 <= 30 ms; open grows no faster than the bare load; "
      "jump at 100,000 < 50 ms\n");
  ui::Application().Shutdown();
  return 0;
}
