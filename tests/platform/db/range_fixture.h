#pragma once
// A data set with the fields of the range table and helpers to fill it, shared by the tests.

#include <string>
#include <vector>

#include "db/dataset.h"
#include "db/packet.h"

namespace db::testing {

struct RangeDataSet {
  TClientDataSet cds{"cdsRentab"};
  TStringField& key = cds.AddStringField("NRSEQRENT", 10);
  TFloatField& start = cds.AddFloatField("VRPERCINIRENT");
  TFloatField& end = cds.AddFloatField("VRPERCFIMRENT");
  TFloatField& color = cds.AddFloatField("VRCORRENT");
  TStringField& blocks = cds.AddStringField("IDBLOQUEIAPED", 1);

  // Loads rows of (key, start, end) with colour 255 and flag "N".
  void Load(const std::vector<std::tuple<std::string, double, double>>& ranges) {
    DataPacket packet{cds.FieldDefs(), {}};
    for (const auto& [k, s, e] : ranges) packet.rows.push_back({k, s, e, 255.0, "N"});
    cds.SetData(EncodePacketVariant(packet));
  }

  // The keys of every row in order, walking the data set.
  std::vector<std::string> Keys() {
    std::vector<std::string> keys;
    cds.First();
    while (!cds.Eof()) {
      keys.push_back(key.AsString());
      cds.Next();
    }
    return keys;
  }
};

}  // namespace db::testing
