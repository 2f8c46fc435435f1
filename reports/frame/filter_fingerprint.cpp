#include "reports/frame/filter_fingerprint.h"

#include <string_view>

#include "analysis/rules/network_text.h"
#include "core/crc32.h"

namespace velmora {
namespace {

class Fingerprint {
 public:
  void Number(int64_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
      reg_ = CrcStep(reg_, static_cast<uint8_t>(bits >> shift));
  }
  void Text(std::string_view text) {
    reg_ = CrcUpdate(reg_, text);
    reg_ = CrcStep(reg_, 0);
  }
  uint32_t Value() const { return ~reg_; }

 private:
  uint32_t reg_ = 0xFFFFFFFFu;
};

}  // namespace

uint32_t FilterFingerprint(const FilterBarState& bar, std::span<const ReportFilter> saved_filters) {
  Fingerprint f;
  if (!bar.selected_filter.empty()) {
    for (const ReportFilter& saved : saved_filters) {
      if (saved.name != bar.selected_filter) continue;
      f.Number(saved.match_mode);
      f.Text(saved.name);
      for (const FilterCondition& condition : saved.conditions) {
        f.Number(condition.operation);
        f.Number(condition.target);
        f.Text(condition.value);
      }
      break;
    }
  }
  const bool has_address = !bar.ip_filter.empty();
  const NetworkAddress network = has_address ? ParseNetworkText(bar.ip_filter) : NetworkAddress{};
  f.Number(bar.filter_mode);
  f.Number(has_address ? 1 : 0);
  f.Number(bar.custom_weeks);
  f.Number(network.address);
  f.Number(network.mask);
  f.Number(network.numbers_read);
  // What decides the counts as much as the fields above: without them, switching "Show
  // Non-visit" or typing another quick value would bring back a result counted otherwise.
  f.Number(bar.show_non_visit);
  if (bar.filter_mode == kQuickFilter) {
    f.Number(bar.quick_operation);
    f.Number(bar.quick_target);
    f.Text(bar.quick_value);
  }
  return f.Value();
}

}  // namespace velmora
