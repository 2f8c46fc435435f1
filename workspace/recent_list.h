// RecentList: the recently used workspaces, oldest first and most recent last, at most
// `capacity` long (12; 2 to 16 accepted). Stored in the preferences with the most recent entry as
// "Document1", the next as "Document2" and so on, and "DocumentCount" = 12. A path is listed at
// most once: adding a listed path moves it to the most recent place. Paths compare exactly, as
// the file system does.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "workspace/preferences.h"

namespace velmora {

class RecentList {
 public:
  static constexpr size_t kDefaultCapacity = 12;
  static constexpr size_t kMinCapacity = 2;
  static constexpr size_t kMaxCapacity = 16;
  // Values numbered above the list are deleted up to this number when the list is stored.
  static constexpr size_t kHighestDeletedNumber = 15;

  explicit RecentList(size_t capacity = kDefaultCapacity);

  // Clamps to kMinCapacity..kMaxCapacity; drops the oldest entries that no longer fit.
  void SetCapacity(size_t capacity);
  size_t capacity() const { return capacity_; }

  const std::vector<std::string>& entries() const { return entries_; }  // oldest first
  std::vector<std::string> MostRecentFirst() const;
  std::optional<std::string> MostRecent() const;
  bool empty() const { return entries_.empty(); }

  // Removes an equal entry, drops the oldest when full, and appends `path` as the most recent.
  void Add(std::string_view path);
  // False when `path` was not listed.
  bool Remove(std::string_view path);

  // Reads "DocumentCount" (clamped to 2..16) and the values numbered from it down to 1, skipping
  // missing ones, then sets the capacity to 12. A missing count means an empty list.
  static RecentList Load(const Preferences& preferences);
  void Store(Preferences& preferences) const;

 private:
  size_t capacity_;
  std::vector<std::string> entries_;
};

}  // namespace velmora
