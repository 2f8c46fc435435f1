// TableFile: one table file mapped whole into memory, a 512-byte header followed by fixed-size
// units (table_format.h). Units are appended, or inserted with a block move in sorted indexes;
// nothing is ever deleted and a file never shrinks.
//
// Invariants while open: the view covers the whole file; the file's length equals the header's
// mapped size and is a whole number of growth steps; record count <= capacity; units at and
// beyond the record count hold zeros. The header is rewritten only after a new view is in place,
// so the file on disk stays valid across any failure.
//
// Every failure is shown at once through the owner's Prompter under "ZEQ Engine 2.0" with the
// error icon; the operation then returns false or -1. A TableFile has no lock of its own: the
// workspace database serialises opening and closing, and one thread at a time uses a table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/byte_order.h"
#include "platform/mapped_file.h"
#include "platform/prompter.h"
#include "storage/table_format.h"

namespace velmora {

inline constexpr std::string_view kEngineCaption = "ZEQ Engine 2.0";

// How many times, in this process, a table could not grow (a full disk, the size limit, a
// growth the user cancelled). A writer compares it before and after its work: each table file
// fails on its own, and a run must stop at the first of them.
uint64_t TableGrowthFailures();

class TableFile {
 public:
  // Touches no file. `owner` shows the engine's messages and must outlive the object.
  TableFile(Prompter& owner, UnitSize unit_size) : owner_(&owner), unit_size_(unit_size) {}
  TableFile(TableFile&&) noexcept = default;
  TableFile& operator=(TableFile&&) noexcept = default;
  TableFile(const TableFile&) = delete;
  TableFile& operator=(const TableFile&) = delete;

  // Opens the file of `table_path` (folder and table name, no extension, at most 480
  // characters) and `file_id`; creates it empty when it does not exist. On opening an existing
  // file, copies the first user_header_out.size() bytes of its user header (at most 492) out.
  bool OpenOrCreate(std::string_view table_path, uint32_t file_id,
                    std::span<std::byte> user_header_out = {});
  // Creates the file anew (an existing one is truncated) and copies `user_header` (at most 492
  // bytes) into its user header.
  bool Create(std::string_view table_path, uint32_t file_id,
              std::span<const std::byte> user_header = {});
  // Unmaps and closes; harmless when closed. The system writes mapped pages back by itself.
  void Close() { file_.Close(); }
  bool is_open() const { return file_.is_open() && file_.data() != nullptr; }

  // Counts one more unit in use and returns its number (the old record count); the unit holds
  // zeros. Grows the file by one step when it is full. -1 on failure; when the user cancels a
  // failed growth the file is closed (and left as it was on disk).
  int32_t Append();
  // Counts `units` more units in use at once and returns the first one's number; -1 on failure,
  // with nothing counted. The same growth as `units` single Appends.
  int32_t AppendMany(int32_t units);
  // Grows the file, as Append would, until at least `units` more fit. False on failure.
  bool Reserve(int32_t units);
  // Appends a unit, then moves units position..old last up by one place and returns `position`;
  // when `position` is at or beyond the old record count, returns the new last number and moves
  // nothing. A negative position counts as 0. -1 on failure.
  int32_t InsertAt(int32_t position);

  // Header record count and free units; 0 while closed.
  int32_t Count() const { return is_open() ? static_cast<int32_t>(Header32(kCount)) : 0; }
  int32_t FreeUnits() const { return is_open() ? static_cast<int32_t>(Header32(kFree)) : 0; }
  int32_t Capacity() const { return capacity_; }
  uint32_t MappedSize() const { return is_open() ? Header32(kMapped) : 0; }

  // Address of unit i, or null when closed or i lies outside the capacity. Not to be kept
  // across Append, AppendMany or InsertAt, which may move the view.
  unsigned char* UnitAt(int32_t i) {
    return InCapacity(i) ? file_.data() + table_format::kHeaderSize + Offset(i) : nullptr;
  }
  const unsigned char* UnitAt(int32_t i) const {
    return InCapacity(i) ? file_.data() + table_format::kHeaderSize + Offset(i) : nullptr;
  }

  // 32-bit units (4-byte files): entry i, or 0 when i is not below the record count.
  uint32_t Entry(int32_t i) const { return (i >= 0 && i < Count()) ? LoadLE32(UnitAt(i)) : 0; }
  // Stores entry i when it is below the record count.
  void SetEntry(int32_t i, uint32_t value) {
    if (i >= 0 && i < Count()) StoreLE32(UnitAt(i), value);
  }

  // The 492 bytes after the header's fixed fields; empty while closed.
  std::span<std::byte> UserHeader();
  std::span<const std::byte> UserHeader() const;

  UnitSize unit_size() const { return unit_size_; }
  // The hashed file name of the open file; empty while closed.
  const std::string& disk_path() const { return file_.path(); }

 private:
  enum HeaderField : uint32_t {
    kMapped = table_format::kMappedSizeOffset,
    kFree = table_format::kFreeUnitsOffset,
    kCount = table_format::kRecordCountOffset,
  };

  uint32_t Header32(HeaderField field) const { return LoadLE32(file_.data() + field); }
  void SetHeader32(HeaderField field, uint32_t value) { StoreLE32(file_.data() + field, value); }
  size_t Offset(int32_t i) const { return static_cast<size_t>(i) * Bytes(unit_size_); }
  bool InCapacity(int32_t i) const { return is_open() && i >= 0 && i < capacity_; }

  // Opens `disk_path` as created: empty, one step long, header written.
  bool CreateFile(const std::string& disk_path, std::span<const std::byte> user_header);
  // One growth step with its Retry/Cancel questions; updates mapped size and free units.
  bool Grow();
  // Counts `units` in use once they fit; returns the first one's number.
  int32_t TakeUnits(int32_t units);
  void SetCapacityFromMapping();

  void ShowError(const std::string& text);
  bool AskRetry(const std::string& text);

  Prompter* owner_;
  UnitSize unit_size_;
  MappedFile file_;
  int32_t capacity_ = 0;
};

}  // namespace velmora
