#pragma once
// The five fields of a range record, declared on a closed data set, for benchmarks that load or
// draw ranges without the screen.

#include "db/dataset.h"

inline void AddRangeFields(db::TClientDataSet& ranges) {
  ranges.AddStringField("NRSEQRENT", 10);
  ranges.AddFloatField("VRPERCINIRENT");
  ranges.AddFloatField("VRPERCFIMRENT");
  ranges.AddFloatField("VRCORRENT");
  ranges.AddStringField("IDBLOQUEIAPED", 1);
}
