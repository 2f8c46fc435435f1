#include "parsing/resource_class_memo.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "parsing/default_resource_rules.h"

namespace velmora {
namespace {

// A power of two; enough for the distinct URLs of a busy site's day (about 3 MiB).
constexpr size_t kSlots = 65536;
// Longer URLs are rare and cost more to copy than the rules cost to run.
constexpr size_t kLongestRemembered = 256;

class ResourceClassMemo {
 public:
  explicit ResourceClassMemo(ResourceRulesFn rules) : rules_(std::move(rules)) {}

  uint32_t ClassOf(std::string_view url) {
    if (url.size() > kLongestRemembered) return Rules(url);
    Slot& slot = slots_[std::hash<std::string_view>{}(url) & (kSlots - 1)];
    if (slot.used && slot.url == url) return slot.request_class;
    slot.request_class = Rules(url);
    slot.url.assign(url);
    slot.used = true;
    return slot.request_class;
  }

 private:
  struct Slot {
    std::string url;
    uint32_t request_class = 0;
    bool used = false;
  };

  uint32_t Rules(std::string_view url) const {
    return rules_ ? rules_(url) : DefaultResourceClass(url);
  }

  ResourceRulesFn rules_;
  std::array<Slot, kSlots> slots_;
};

}  // namespace

ResourceRulesFn MemoizeResourceRules(ResourceRulesFn rules) {
  auto memo = std::make_shared<ResourceClassMemo>(std::move(rules));
  return [memo](std::string_view url) { return memo->ClassOf(url); };
}

}  // namespace velmora
