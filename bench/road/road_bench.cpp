// The road of one new range through the range screen, over the real app server on loopback,
// offscreen: the insertion (with GetSeq), the typing of the bounds and colour, and the post
// (two GetIntervalo, SetRentab, the merge and the cache refresh), against the same four calls
// made bare over a connection of their own, measured in the same run and interleaved with it.
// The bare calls get an argument prepared before their timing starts (the delta of the new
// range), so everything the screen does beyond the four calls counts as the screen's own work.
// Each range goes after every stored one, so each save is accepted. The road is also measured
// with no main window for the busy indicator, and the indicator and the standard commands
// (include, type, confirm with no handler of the range screen) alone, so that the figures tell
// the range screen's handlers from the host's painting and the standard screen's work.
//   bench_road [ranges per side] [stored ranges]   (defaults 300 and 1000)

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "../common/range_fields.h"
#include "../common/seeded_server.h"
#include "Cli_ped06900.h"
#include "appserver/app.h"
#include "db/dataset.h"
#include "orv/consiste.h"
#include "orv/showavi.h"
#include "orv/valmora.h"
#include "ped06900/range_csv.h"
#include "ped06900/sqlite_range_store.h"
#include "ui/application.h"
#include "ui/form.h"
#include "ui/scripted_dialogs.h"
#include "ui/speed_button.h"

namespace {

using Clock = std::chrono::steady_clock;

double MicrosSince(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::string Key(int number) {
  char key[12];
  std::snprintf(key, sizeof key, "%010d", number);
  return key;
}

// Ranges of 1 point each, 2 points apart, so that none overlaps another.
std::string RangesCsv(int count) {
  std::ostringstream csv;
  csv << "NRSEQRENT;VRPERCINIRENT;VRPERCFIMRENT;VRCORRENT;IDBLOQUEIAPED\n";
  for (int i = 1; i <= count; ++i) {
    csv << Key(i) << ';' << i * 2 << ';' << i * 2 + 1 << ";255;N\n";
  }
  return csv.str();
}

struct ScreenRoad {
  std::vector<double> insert, type, post, total;
  // The event loop's turn after the range: the paints and layouts the road left behind.
  std::vector<double> paintAfter;
};

struct BareCalls {
  std::vector<double> seq, firstBound, secondBound, save, total;
};

// The insertion of one new range from `start` to `start + 1` as the user makes it.
void ScreenOnce(Cli_ped06900::TfrmRentab& screen, double start, ScreenRoad& road) {
  const auto begin = Clock::now();
  screen.sbtIncluir->Click();
  const double inserted = MicrosSince(begin);
  auto step = Clock::now();
  screen.cdsRentabVRPERCINIRENT->SetAsFloat(start);
  screen.cdsRentabVRPERCFIMRENT->SetAsFloat(start + 1);
  screen.cdsRentabVRCORRENT->SetAsFloat(255);
  const double typed = MicrosSince(step);
  step = Clock::now();
  screen.sbtConfirmar->Click();
  const double posted = MicrosSince(step);
  road.total.push_back(MicrosSince(begin));
  road.insert.push_back(inserted);
  road.type.push_back(typed);
  road.post.push_back(posted);
}

// What the event loop does after a user's action, before the next one: timed apart from the
// road, so that work moved out of the action into the deferred paint stays visible.
void PaintAfter(ScreenRoad& road) {
  const auto begin = Clock::now();
  ui::Application().ProcessMessages();
  road.paintAfter.push_back(MicrosSince(begin));
}

// The same four calls bare. `ranges` is an open, empty data set of the five range fields; the
// new range's delta is made before the timing starts.
void BareOnce(orv::TNetConnection& connection, db::TClientDataSet& ranges, int key, double start,
              BareCalls& calls) {
  ranges.Append();
  ranges.FieldByName("NRSEQRENT").SetAsString(Key(key));
  ranges.FieldByName("VRPERCINIRENT").SetAsFloat(start);
  ranges.FieldByName("VRPERCFIMRENT").SetAsFloat(start + 1);
  ranges.FieldByName("VRCORRENT").SetAsFloat(255);
  ranges.FieldByName("IDBLOQUEIAPED").SetAsString("N");
  ranges.Post();
  const rtl::Variant delta = ranges.Delta();

  const auto begin = Clock::now();
  auto step = begin;
  orv::CheckResultServ(connection.AppServer().Call("GetSeq"), true, 0);
  calls.seq.push_back(MicrosSince(step));
  step = Clock::now();
  orv::CheckResultServ(connection.AppServer().Call("GetIntervalo", {rtl::Variant(start)}), true, 0);
  calls.firstBound.push_back(MicrosSince(step));
  step = Clock::now();
  orv::CheckResultServ(connection.AppServer().Call("GetIntervalo", {rtl::Variant(start + 1)}), true,
                       0);
  calls.secondBound.push_back(MicrosSince(step));
  step = Clock::now();
  orv::CheckResultServ(connection.AppServer().Call("SetRentab", {delta}), true, 0);
  calls.save.push_back(MicrosSince(step));
  calls.total.push_back(MicrosSince(begin));
  ranges.MergeChangeLog();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const int perSide = argc > 1 ? std::max(5, std::atoi(argv[1])) : 300;
  const int stored = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
  QApplication app(argc, argv);
  ui::ScopedDialogs dialogs;  // a failure shows in the figures' check, never as a blocking box
  auto* host = ui::Application().CreateForm<ui::TForm>();
  host->SetFormStyle(ui::TFormStyle::fsMDIForm);
  host->SetBounds(0, 0, 1000, 700);
  ui::Application().SetMainForm(host);
  host->Show();

  const auto folder =
      std::filesystem::temp_directory_path() / ("bench_road_" + std::to_string(::getpid()));
  auto server = StartSeededServer(folder, RangesCsv(stored));

  IniProc(rtl::Variant());
  Cli_ped06900::TfrmRentab& screen = *Cli_ped06900::frmRentab;
  ui::Application().ProcessMessages();

  orv::TNetConnection connection;
  ConnectBare(connection, server->Port());
  db::TClientDataSet ranges;
  AddRangeFields(ranges);
  ranges.CreateDataSet();

  // The road as the user sees it, then the same road with no main window to paint the busy
  // indicator on (its state is kept, nothing is drawn), each alternating with the four calls
  // bare so that drift hits both sides; the two phases apart, so that neither pays for the
  // other's indicator. Each phase's road is compared with the bare calls of its own phase (a
  // slow spell of the disk during one phase then weighs on both sides of its ratio).
  ScreenRoad painted, unpainted;
  BareCalls paintedBare, unpaintedBare;
  int key = stored;
  for (ScreenRoad* road : {&painted, &unpainted}) {
    ui::Application().SetMainForm(road == &painted ? host : nullptr);
    BareCalls& bare = road == &painted ? paintedBare : unpaintedBare;
    for (int i = 0; i < perSide; ++i) {
      key += 2;
      ScreenOnce(screen, 2.0 * (key - 1), *road);
      PaintAfter(*road);
      BareOnce(connection, ranges, key, 2.0 * key, bare);
    }
  }
  ui::Application().SetMainForm(host);
  const bool allSaved = dialogs->Shown().empty() && screen.cdsRentab->ChangeCount() == 0 &&
                        screen.cdsRentab->RecordCount() == stored + 2 * perSide;

  // What of the road is not the range screen's handlers: the busy indicator shown and hidden
  // once (it goes at the event loop's turn), and the standard commands themselves.
  std::vector<double> indicator;
  for (int i = 0; i < perSide; ++i) {
    const auto begin = Clock::now();
    orv::ActiveShowAvi(host, orv::aviLendo);
    orv::DeactiveShowAvi();
    ui::Application().ProcessMessages();
    indicator.push_back(MicrosSince(begin));
  }
  // The standard commands of the road with none of the range screen's handlers bound: include,
  // type, confirm, the event loop's turn after them; the row is then dropped again, untimed.
  db::TClientDataSet& shown = *screen.cdsRentab;
  const auto handlers = std::make_tuple(shown.AfterInsert, shown.BeforePost, shown.AfterPost);
  shown.AfterInsert = shown.BeforePost = shown.AfterPost = nullptr;
  ScreenRoad standard;
  for (int i = 0; i < perSide; ++i) {
    ScreenOnce(screen, -10.0 - 2 * i, standard);
    PaintAfter(standard);
    shown.CancelUpdates();
    ui::Application().ProcessMessages();
  }
  std::tie(shown.AfterInsert, shown.BeforePost, shown.AfterPost) = handlers;

  BareCalls bare = paintedBare;
  for (auto [all, part] : {std::pair{&bare.seq, &unpaintedBare.seq},
                           {&bare.firstBound, &unpaintedBare.firstBound},
                           {&bare.secondBound, &unpaintedBare.secondBound},
                           {&bare.save, &unpaintedBare.save},
                           {&bare.total, &unpaintedBare.total}}) {
    all->insert(all->end(), part->begin(), part->end());
  }
  const double bareTotal = Median(bare.total);
  const auto print = [&](const char* name, const ScreenRoad& road, double bareOfPhase) {
    std::printf(
        "%-28s insert %7.1f  type %5.1f  post %7.1f  total %7.1f  = %.3f x bare;"
        "  paint after the road %6.1f = %.3f x bare\n",
        name, Median(road.insert), Median(road.type), Median(road.post), Median(road.total),
        Median(road.total) / bareOfPhase, Median(road.paintAfter),
        Median(road.paintAfter) / bareOfPhase);
  };
  std::printf("one new range, %d stored ranges, %d ranges per side, medians in microseconds\n",
              stored, perSide);
  std::printf(
      "%-28s GetSeq %.1f  GetIntervalo %.1f + %.1f  SetRentab %.1f  total %.1f"
      " (%.1f beside the screen road, %.1f beside the one with no indicator)\n",
      "bare calls", Median(bare.seq), Median(bare.firstBound), Median(bare.secondBound),
      Median(bare.save), bareTotal, Median(paintedBare.total), Median(unpaintedBare.total));
  print("screen road", painted, Median(paintedBare.total));
  print("screen road, no indicator", unpainted, Median(unpaintedBare.total));
  print("standard commands alone", standard, bareTotal);
  std::printf("%-28s %.1f, up to 4 times on the road\n", "indicator shown and hidden",
              Median(indicator));
  std::printf(
      "range screen's own work (no indicator, beyond the bare calls and the standard "
      "commands): %.3f x bare (target <= 0.20)\n",
      (Median(unpainted.total) - Median(unpaintedBare.total) - Median(standard.total)) /
          Median(unpaintedBare.total));
  if (!allSaved) std::fprintf(stderr, "some ranges of the screen were not saved\n");

  if (Cli_ped06900::boIdCriado) screen.Close();
  ui::Application().ProcessMessages();
  connection.Close();
  server->Stop();
  std::filesystem::remove_all(folder);
  ui::Application().Shutdown();
  return allSaved ? 0 : 1;
}
