#include "analysis/caches/sequence_id_cache.h"

namespace velmora {
namespace {

// FNV-1a over the values, folded to 32 bits; the same for a key and its stored copy.
class SequenceHash {
 public:
  void Add(int32_t value) { h_ = (h_ ^ static_cast<uint32_t>(value)) * 0x100000001B3ull; }
  uint32_t Value() const { return static_cast<uint32_t>(h_ ^ (h_ >> 32)); }

 private:
  uint64_t h_ = 0xCBF29CE484222325ull;
};

}  // namespace

SequenceTableKeys::Key SequenceTableKeys::Trim(Key values) {
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i] == -1) return values.first(i);
  }
  return values;
}

uint32_t SequenceTableKeys::Hash(Key values) {
  SequenceHash hash;
  for (const int32_t value : values) hash.Add(value);
  return hash.Value();
}

uint32_t SequenceTableKeys::StoredHash(const SequenceTable& table, int32_t id) {
  const SequenceView stored = table.Get(id);
  SequenceHash hash;
  for (int32_t i = 0; i < stored.size(); ++i) hash.Add(stored[i]);
  return hash.Value();
}

}  // namespace velmora
