// A cached result: a table file in the workspace's reports/ folder with one 40-byte unit per
// item, the item's five period values (Today, Yesterday, Week, 4 Weeks, Custom) as signed 64-bit
// numbers. Its user header holds the identity it was built for; a later request with the same
// identity reads the units as they stand, any other rebuilds the table from nothing.
//
// The identity is written only once a build has finished, so a build cut short (a crash, a full
// disk) leaves a table that no request will reuse.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/tick_time.h"
#include "platform/prompter.h"
#include "reports/frame/date_range.h"
#include "storage/table_file.h"

namespace velmora {

using PeriodValues = std::array<int64_t, kDateRangeCount>;

// What a result was built for. The list caches keep all 24 bytes, the hourly and monthly totals
// the first 20 (no engine filter), the spider and traffic-ranked caches only the walk (16 bytes).
struct ResultIdentity {
  Ticks walk_start = 0;
  Ticks walk_end = 0;
  uint32_t fingerprint = 0;
  uint32_t engine_filter = 0;
};
inline constexpr size_t kListIdentityBytes = 24;
inline constexpr size_t kTotalsIdentityBytes = 20;
inline constexpr size_t kWalkIdentityBytes = 16;

class ResultTable {
 public:
  enum class State : uint8_t { kClosed, kReused, kEmpty };

  // The list caches have 40-byte units, the hourly and monthly totals units of their own size.
  explicit ResultTable(Prompter& prompter, UnitSize unit_size = UnitSize::k40)
      : file_(prompter, unit_size) {}

  // Opens `<workspace_folder>reports/<table_name>`. When its stored identity (the first
  // `identity_bytes` of it) equals `identity` the table is kReused; otherwise, also when it is
  // missing or damaged (the engine's message shown), it is made anew, empty: kEmpty. kClosed
  // when it can be neither opened nor created (the engine has said why).
  State Open(std::string_view workspace_folder, std::string_view table_name,
             const ResultIdentity& identity, size_t identity_bytes);
  // Grows an empty table to `units` zeroed units; false when it could not grow.
  bool Size(int32_t units);
  // Unit `unit` as bytes, or null outside the table.
  unsigned char* UnitAt(int32_t unit) {
    return unit >= 0 && unit < Count() ? file_.UnitAt(unit) : nullptr;
  }
  const unsigned char* UnitAt(int32_t unit) const {
    return unit >= 0 && unit < Count() ? file_.UnitAt(unit) : nullptr;
  }
  // Adds `amount` to unit `unit` in the periods of `mask`; a unit outside the table is ignored.
  // (40-byte units only.)
  void Add(int32_t unit, uint32_t mask, int64_t amount);
  // Stores the identity: the build is complete.
  void Seal();
  int32_t Count() const { return file_.Count(); }
  PeriodValues Values(int32_t unit) const;
  // Every unit, in unit order (40-byte units only).
  std::vector<PeriodValues> AllValues() const;
  void Close() { file_.Close(); }

 private:
  TableFile file_;
  ResultIdentity identity_;
  size_t identity_bytes_ = 0;
};

}  // namespace velmora
