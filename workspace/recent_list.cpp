#include "workspace/recent_list.h"

#include <algorithm>

namespace velmora {
namespace {

std::string DocumentName(size_t number) { return "Document" + std::to_string(number); }

}  // namespace

RecentList::RecentList(size_t capacity) : capacity_(kDefaultCapacity) { SetCapacity(capacity); }

void RecentList::SetCapacity(size_t capacity) {
  capacity_ = std::clamp(capacity, kMinCapacity, kMaxCapacity);
  if (entries_.size() > capacity_) {
    entries_.erase(entries_.begin(),
                   entries_.begin() + static_cast<std::ptrdiff_t>(entries_.size() - capacity_));
  }
}

std::vector<std::string> RecentList::MostRecentFirst() const {
  return std::vector<std::string>(entries_.rbegin(), entries_.rend());
}

std::optional<std::string> RecentList::MostRecent() const {
  if (entries_.empty()) return std::nullopt;
  return entries_.back();
}

void RecentList::Add(std::string_view path) {
  Remove(path);
  if (entries_.size() >= capacity_) entries_.erase(entries_.begin());
  entries_.emplace_back(path);
}

bool RecentList::Remove(std::string_view path) {
  const auto it = std::find(entries_.begin(), entries_.end(), path);
  if (it == entries_.end()) return false;
  entries_.erase(it);
  return true;
}

RecentList RecentList::Load(const Preferences& preferences) {
  RecentList list(kMaxCapacity);
  const std::optional<int64_t> count = preferences.GetNumber(kRecentSection, "DocumentCount");
  if (count) {
    const auto n = static_cast<size_t>(std::clamp<int64_t>(*count, kMinCapacity, kMaxCapacity));
    for (size_t k = n; k >= 1; --k) {
      const std::optional<std::string> path = preferences.Get(kRecentSection, DocumentName(k));
      if (path && !path->empty()) list.Add(*path);
    }
  }
  list.SetCapacity(kDefaultCapacity);
  return list;
}

void RecentList::Store(Preferences& preferences) const {
  preferences.Update([this](IniFile& ini) {
    ini.Set(kRecentSection, "DocumentCount", std::to_string(kDefaultCapacity));
    size_t number = 1;
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
      ini.Set(kRecentSection, DocumentName(number++), *it);
    }
    for (; number <= kHighestDeletedNumber; ++number)
      ini.Remove(kRecentSection, DocumentName(number));
  });
}

}  // namespace velmora
