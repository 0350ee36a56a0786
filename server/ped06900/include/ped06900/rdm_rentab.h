#pragma once
// rdmRentab: the server object "ped06900.rdmRentab", which keeps the range table.
//
// Methods (each answers [status, payload]; status 0 is success):
//   GetRentab()          -> packet NRSEQRENT string 10, VRPERCINIRENT, VRPERCFIMRENT, VRCORRENT
//                           float, IDBLOQUEIAPED string 1: every range by start, then key
//   SetRentab(delta)     -> Empty; the delta (a byte array) of those five fields, applied whole
//                           or not at all under the rules of range_rules.h
//   GetSeq()             -> packet SEQUENCIAL string 10: one row with the highest key, or none
//   GetIntervalo(double) -> packet NRSEQRENT string 10: a row per range with start <= v <= end
// A failure answers status kRefused (a change that breaks a rule, or a delta that is not one of
// the range table) or kStorageFailed (the database failed; nothing was stored), with a message
// for the user in the payload, and writes one line to the log. Argument counts and types are
// checked by the object server before a method runs.

#include <functional>
#include <memory>
#include <string>

#include "net/server_object.h"
#include "ped06900/range_store.h"

namespace ped06900 {

inline constexpr const char* kServerObjectName = "ped06900.rdmRentab";

class rdmRentab : public net::ServerObject {
 public:
  using Logger = std::function<void(const std::string& line)>;

  static constexpr int kSuccess = 0;
  static constexpr int kRefused = 1;
  static constexpr int kStorageFailed = 2;

  // The object uses store from the thread that calls its methods only. log may be empty.
  rdmRentab(std::unique_ptr<RangeStore> store, Logger log);

 private:
  rtl::Variant GetRentab();
  rtl::Variant SetRentab(const rtl::Variant& delta);
  rtl::Variant GetSeq();
  rtl::Variant GetIntervalo(double value);
  // Runs body and turns the failures a user should read into a failure answer.
  rtl::Variant Answer(const char* method, const std::function<rtl::Variant()>& body);

  std::unique_ptr<RangeStore> store_;
  Logger log_;
};

}  // namespace ped06900
