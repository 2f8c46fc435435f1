// IndexedTable: a record file and up to two 4-byte companion files that share one table name,
// usually sorted indexes of record numbers by a key of the record. Table number n gives the
// record file FileId n << 16 and the companions that FileId + 1 and + 2; the members open (and
// are created) in that order, and an open stops at the first member that fails.
//
// RecordTable<R> reads and writes the records as structs of records.h. A record is referred to
// everywhere by its number (its unit index in the record file), never by an index position.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/prompter.h"
#include "storage/records.h"
#include "storage/table_file.h"

namespace velmora {

constexpr uint32_t IndexedTableFileId(uint32_t n) { return n << 16; }

class IndexedTable {
 public:
  // `companions` (0, 1 or 2) 4-byte files follow the record file.
  IndexedTable(Prompter& owner, UnitSize record_size, int companions)
      : records_(owner, record_size),
        index1_(owner, UnitSize::k4),
        index2_(owner, UnitSize::k4),
        companions_(companions < 0 ? 0 : (companions > 2 ? 2 : companions)) {}

  bool OpenOrCreate(std::string_view table_path, uint32_t table_number) {
    const uint32_t id = IndexedTableFileId(table_number);
    return records_.OpenOrCreate(table_path, id) &&
           (companions_ < 1 || index1_.OpenOrCreate(table_path, id + 1)) &&
           (companions_ < 2 || index2_.OpenOrCreate(table_path, id + 2));
  }
  bool Create(std::string_view table_path, uint32_t table_number) {
    const uint32_t id = IndexedTableFileId(table_number);
    return records_.Create(table_path, id) &&
           (companions_ < 1 || index1_.Create(table_path, id + 1)) &&
           (companions_ < 2 || index2_.Create(table_path, id + 2));
  }
  void Close() {
    records_.Close();
    index1_.Close();
    index2_.Close();
  }
  bool is_open() const {
    return records_.is_open() && (companions_ < 1 || index1_.is_open()) &&
           (companions_ < 2 || index2_.is_open());
  }

  int companions() const { return companions_; }
  int32_t Count() const { return records_.Count(); }
  TableFile& records() { return records_; }
  const TableFile& records() const { return records_; }
  // Companion k (1 or 2).
  TableFile& index(int k) { return k == 2 ? index2_ : index1_; }
  const TableFile& index(int k) const { return k == 2 ? index2_ : index1_; }

 private:
  TableFile records_;
  TableFile index1_;
  TableFile index2_;
  int companions_;
};

template <StoredRecord R>
class RecordTable : public IndexedTable {
 public:
  RecordTable(Prompter& owner, int companions) : IndexedTable(owner, UnitSizeOf<R>(), companions) {}

  bool Has(int32_t n) const { return n >= 0 && n < Count(); }
  // Record n; a default record when n is not a record of the table.
  R Get(int32_t n) const { return Has(n) ? LoadRecord<R>(records().UnitAt(n)) : R{}; }
  // Overwrites record n; false when n is not a record of the table.
  bool Set(int32_t n, const R& record) {
    if (!Has(n)) return false;
    StoreRecord(records().UnitAt(n), record);
    return true;
  }
  // Appends `record` and returns its number; -1 when the file could not grow.
  int32_t Append(const R& record) {
    const int32_t n = records().Append();
    if (n >= 0) StoreRecord(records().UnitAt(n), record);
    return n;
  }
};

}  // namespace velmora
