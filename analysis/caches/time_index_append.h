// Appending to a time index (Sessions, Hourly, FileTraffic, Spiders). Logs arrive mostly in time
// order, so a new record's key is nearly always at least the last entry's: it then stays at the
// end, which is where AddIndexEntry would leave it, without searching. The search is costly
// exactly there, since an upper-bound lookup steps over the run of equal keys one by one, and
// the day index of FileTraffic holds thousands of entries with the same day.
#pragma once

#include <cstdint>

#include "storage/index_order.h"
#include "storage/table_file.h"

namespace velmora {

// Appends `record` to `index` and moves it to its place; returns its position, -1 when the index
// could not grow. The same result as AddIndexEntry on an ordered index.
template <class KeyOf>
int32_t AppendTimeIndexEntry(TableFile& index, uint32_t record, KeyOf&& key_of) {
  const int32_t count = index.Count();
  if (count > 0 && key_of(record) < key_of(index.Entry(count - 1))) {
    return AddIndexEntry(index, record, key_of);
  }
  const int32_t position = index.Append();
  if (position >= 0) index.SetEntry(position, record);
  return position;
}

}  // namespace velmora
