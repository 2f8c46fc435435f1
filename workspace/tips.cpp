#include "workspace/tips.h"

#include <optional>
#include <string>

#include "core/ascii.h"

namespace velmora {
namespace {

constexpr std::string_view kShowTipValue = "Show tip at startup";
constexpr std::string_view kNextTipValue = "Next tip";
// Only this many characters of the value are read; a longer text is cut, never refused.
constexpr size_t kShowTipReadLength = 15;

}  // namespace

bool ShowTipAtStartup(const Preferences& preferences) {
  const std::optional<std::string> value = preferences.Get(kAppSection, kShowTipValue);
  if (!value) return false;
  return AsciiEqualsIgnoreCase(std::string_view(*value).substr(0, kShowTipReadLength), "yes");
}

void SetShowTipAtStartup(Preferences& preferences, bool show) {
  preferences.Set(kAppSection, kShowTipValue, show ? "Yes" : "No");
}

TipOfTheDay TakeNextTip(Preferences& preferences) {
  const std::optional<int64_t> stored = preferences.GetNumber(kAppSection, kNextTipValue);
  size_t index = 0;
  if (stored && *stored >= 0 && *stored < static_cast<int64_t>(kTipsOfTheDay.size())) {
    index = static_cast<size_t>(*stored);
  }
  preferences.SetNumber(kAppSection, kNextTipValue,
                        static_cast<int64_t>((index + 1) % kTipsOfTheDay.size()));
  return {index, kTipsOfTheDay[index]};
}

}  // namespace velmora
