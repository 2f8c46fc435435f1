#include "reports/frame/result_table.h"

#include <algorithm>
#include <filesystem>

#include "core/byte_order.h"
#include "core/workspace_layout.h"

namespace velmora {
namespace {

std::array<std::byte, kListIdentityBytes> IdentityBytes(const ResultIdentity& identity) {
  std::array<std::byte, kListIdentityBytes> bytes{};
  StoreLE64(bytes.data(), identity.walk_start);
  StoreLE64(bytes.data() + 8, identity.walk_end);
  StoreLE32(bytes.data() + 16, identity.fingerprint);
  StoreLE32(bytes.data() + 20, identity.engine_filter);
  return bytes;
}

}  // namespace

ResultTable::State ResultTable::Open(std::string_view workspace_folder, std::string_view table_name,
                                     const ResultIdentity& identity, size_t identity_bytes) {
  file_.Close();
  identity_ = identity;
  identity_bytes_ = std::min(identity_bytes, kListIdentityBytes);
  const std::string folder = WorkspacePath(workspace_folder, kReportsFolder);
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  const std::string path = folder + "/" + std::string(table_name);
  if (path.size() <= table_format::kMaxTablePathLength) {
    std::array<std::byte, kListIdentityBytes> stored{};
    if (file_.OpenOrCreate(path, 0, stored)) {
      const auto wanted = IdentityBytes(identity);
      if (file_.Count() > 0 &&
          std::equal(stored.begin(), stored.begin() + static_cast<ptrdiff_t>(identity_bytes_),
                     wanted.begin())) {
        return State::kReused;
      }
      file_.Close();
    }
  }
  // Missing, damaged or built for something else: start again from nothing. The identity stays
  // zero until Seal, so a build that never finishes is never mistaken for a result.
  return file_.Create(path, 0) ? State::kEmpty : State::kClosed;
}

bool ResultTable::Size(int32_t units) {
  if (!file_.is_open()) return false;
  const int32_t missing = units - file_.Count();
  return missing <= 0 || file_.AppendMany(missing) >= 0;
}

void ResultTable::Add(int32_t unit, uint32_t mask, int64_t amount) {
  if (unit < 0 || unit >= file_.Count()) return;
  unsigned char* values = file_.UnitAt(unit);
  for (size_t column = 0; column < kDateRangeCount; ++column) {
    if ((mask & DateRangeBit(kDateRanges[column])) == 0) continue;
    unsigned char* value = values + column * 8;
    StoreLE64(value, LoadLE64(value) + static_cast<uint64_t>(amount));
  }
}

void ResultTable::Seal() {
  if (!file_.is_open()) return;
  const auto bytes = IdentityBytes(identity_);
  std::copy_n(bytes.begin(), identity_bytes_, file_.UserHeader().begin());
}

PeriodValues ResultTable::Values(int32_t unit) const {
  PeriodValues values{};
  if (unit < 0 || unit >= file_.Count()) return values;
  const unsigned char* unit_bytes = file_.UnitAt(unit);
  for (size_t column = 0; column < kDateRangeCount; ++column) {
    values[column] = static_cast<int64_t>(LoadLE64(unit_bytes + column * 8));
  }
  return values;
}

std::vector<PeriodValues> ResultTable::AllValues() const {
  std::vector<PeriodValues> all(static_cast<size_t>(std::max(file_.Count(), 0)));
  for (int32_t unit = 0; unit < file_.Count(); ++unit)
    all[static_cast<size_t>(unit)] = Values(unit);
  return all;
}

}  // namespace velmora
