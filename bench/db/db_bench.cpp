// Loading, reading back and building 100,000 range records in a client data set, each beside the
// bare decode of the same packet bytes with QCborValue, measured in the same run. The memory
// figure is the growth of the resident set while a data set holds the records.

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QCborValue>
#include <cstdio>
#include <fstream>
#include <string>

#include "db/dataset.h"
#include "db/packet.h"

namespace {

constexpr int kRecords = 100'000;

struct Ranges {
  db::TClientDataSet cds{"cdsRentab"};
  db::TStringField& key = cds.AddStringField("NRSEQRENT", 10);
  db::TFloatField& start = cds.AddFloatField("VRPERCINIRENT");
  db::TFloatField& end = cds.AddFloatField("VRPERCFIMRENT");
  db::TFloatField& color = cds.AddFloatField("VRCORRENT");
  db::TStringField& blocks = cds.AddStringField("IDBLOQUEIAPED", 1);
};

std::string Key(int i) {
  char text[16];
  std::snprintf(text, sizeof text, "%010d", i);
  return text;
}

const std::string& PacketBytes() {
  static const std::string bytes = [] {
    Ranges ranges;
    db::DataPacket packet{ranges.cds.FieldDefs(), {}};
    packet.rows.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) {
      packet.rows.push_back(
          {Key(i + 1), i * 0.5, i * 0.5 + 0.25, double(i % 16777216), i % 3 == 0 ? "S" : "N"});
    }
    return db::EncodePacket(packet);
  }();
  return bytes;
}

void BM_QCborDecode(benchmark::State& state) {
  const QByteArray bytes = QByteArray::fromRawData(PacketBytes().data(), PacketBytes().size());
  for (auto _ : state) {
    QCborValue value = QCborValue::fromCbor(bytes);
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_QCborDecode)->Unit(benchmark::kMillisecond);

void BM_LoadIntoDataSet(benchmark::State& state) {
  const rtl::Variant packet = rtl::Variant::FromBytes(PacketBytes());
  Ranges ranges;
  for (auto _ : state) {
    ranges.cds.SetData(packet);
    benchmark::DoNotOptimize(ranges.cds.RecordCount());
  }
}
BENCHMARK(BM_LoadIntoDataSet)->Unit(benchmark::kMillisecond);

void BM_ReadDataBack(benchmark::State& state) {
  Ranges ranges;
  ranges.cds.SetData(rtl::Variant::FromBytes(PacketBytes()));
  for (auto _ : state) {
    rtl::Variant data = ranges.cds.Data();
    benchmark::DoNotOptimize(data);
  }
}
BENCHMARK(BM_ReadDataBack)->Unit(benchmark::kMillisecond);

// Appends and posts every record through the fields; `merge` merges the change log after each
// post, as the range screen does once the server has accepted the change.
void AppendAndPost(benchmark::State& state, bool merge) {
  for (auto _ : state) {
    Ranges ranges;
    ranges.cds.CreateDataSet();
    for (int i = 0; i < kRecords; ++i) {
      ranges.cds.Append();
      ranges.key.SetAsString(Key(i + 1));
      ranges.start.SetAsFloat(i * 0.5);
      ranges.end.SetAsFloat(i * 0.5 + 0.25);
      ranges.color.SetAsFloat(255);
      ranges.blocks.SetAsString("N");
      ranges.cds.Post();
      if (merge) ranges.cds.MergeChangeLog();
    }
    benchmark::DoNotOptimize(ranges.cds.RecordCount());
  }
}
void BM_AppendAndPost(benchmark::State& state) {
  AppendAndPost(state, false);
}
void BM_AppendPostAndMerge(benchmark::State& state) {
  AppendAndPost(state, true);
}
BENCHMARK(BM_AppendAndPost)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendPostAndMerge)->Unit(benchmark::kMillisecond);

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

void PrintMemory() {
  const rtl::Variant packet = rtl::Variant::FromBytes(PacketBytes());
  const long before = ResidentKiB();
  auto ranges = std::make_unique<Ranges>();
  ranges->cds.SetData(packet);
  const long holding = ResidentKiB();
  std::printf("Resident set growth while holding %d range records: %.1f MiB (packet: %.1f MiB)\n",
              ranges->cds.RecordCount(), (holding - before) / 1024.0,
              PacketBytes().size() / (1024.0 * 1024.0));
}

}  // namespace

int main(int argc, char** argv) {
  PrintMemory();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
