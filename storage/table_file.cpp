#include "storage/table_file.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/sys_error.h"
#include "storage/table_file_name.h"

namespace velmora {
namespace {

namespace tf = table_format;

constexpr std::string_view kOpenPrefix = "Can't open table: ";
constexpr std::string_view kCreatePrefix = "Can't create table: ";
constexpr std::string_view kExpandPrefix = "Can't expand table: ";

std::string Message(std::string_view prefix, std::string_view what) {
  std::string text(prefix);
  text += what;
  return text;
}

std::string WithSuffix(std::string_view prefix, std::string_view what, const Error& error) {
  return Message(prefix, what) + SystemErrorSuffix(error.code);
}

// The mapping of an existing file: its length rounded up to whole steps, and at least one step.
uint64_t MappingSizeFor(uint64_t file_size) {
  if (file_size == 0) return tf::kGrowthStep;
  return (file_size + tf::kGrowthStep - 1) / tf::kGrowthStep * tf::kGrowthStep;
}

std::atomic<uint64_t> growth_failures{0};

}  // namespace

uint64_t TableGrowthFailures() { return growth_failures.load(std::memory_order_relaxed); }

void TableFile::ShowError(const std::string& text) { owner_->ShowError(kEngineCaption, text); }

bool TableFile::AskRetry(const std::string& text) {
  return owner_->Ask(kEngineCaption, text, PromptButtons::kRetryCancel, PromptIcon::kError) ==
         PromptAnswer::kRetry;
}

void TableFile::SetCapacityFromMapping() {
  capacity_ = static_cast<int32_t>(
      std::min<int64_t>(tf::Capacity(unit_size_, file_.mapped_size()), INT32_MAX));
}

bool TableFile::OpenOrCreate(std::string_view table_path, uint32_t file_id,
                             std::span<std::byte> user_header_out) {
  if (file_.is_open()) {
    ShowError(Message(kOpenPrefix, "Object is already open"));
    return false;
  }
  if (table_path.size() > tf::kMaxTablePathLength) {
    ShowError(Message(kOpenPrefix, "File name is too long"));
    return false;
  }
  const std::string disk_path = HashedTableFileName(table_path, file_id);
  if (Status opened = file_.Open(disk_path, FileOpenMode::kExisting); !opened.ok()) {
    if (opened.error().code == ENOENT) return CreateFile(disk_path, {});
    ShowError(WithSuffix(kOpenPrefix, "CreateFile failed", opened.error()));
    return false;
  }
  Result<uint64_t> file_size = file_.FileSize();
  if (!file_size.ok()) {
    file_.Close();
    ShowError(WithSuffix(kOpenPrefix, "CreateFile failed", file_size.error()));
    return false;
  }
  const uint64_t mapping_size = MappingSizeFor(*file_size);
  // The header is judged before anything is mapped: mapping lengthens the file to whole steps,
  // and a damaged file must stay exactly as it was found until the user agrees to a reset.
  std::array<unsigned char, tf::kRecordCountOffset + 4> head{};
  if (Result<size_t> read = file_.ReadAt(0, head); !read.ok()) {
    file_.Close();
    ShowError(WithSuffix(kOpenPrefix, "CreateFile failed", read.error()));
    return false;
  }
  if (LoadLE32(head.data() + tf::kSignature1Offset) != tf::kSignature1 ||
      LoadLE32(head.data() + tf::kSignature2Offset) != tf::kSignature2) {
    file_.Close();
    ShowError(Message(kOpenPrefix, "Bad Signature"));
    return false;
  }
  // A record count beyond the capacity cannot come from this engine; trusting it would put
  // units outside the view, so such a file is refused like one whose size is wrong.
  if (LoadLE32(head.data() + tf::kMappedSizeOffset) != mapping_size ||
      LoadLE32(head.data() + tf::kRecordCountOffset) >
          std::min<int64_t>(tf::Capacity(unit_size_, mapping_size), INT32_MAX)) {
    file_.Close();
    ShowError(Message(kOpenPrefix, "Bad File Size"));
    return false;
  }
  if (Status resized = file_.Resize(mapping_size); !resized.ok()) {
    file_.Close();
    ShowError(WithSuffix(kOpenPrefix, "CreateFileMapping failed", resized.error()));
    return false;
  }
  if (Status mapped = file_.Map(mapping_size); !mapped.ok()) {
    file_.Close();
    ShowError(WithSuffix(kOpenPrefix, "MapViewOfFile failed", mapped.error()));
    return false;
  }
  SetCapacityFromMapping();
  SetHeader32(kFree, static_cast<uint32_t>(capacity_ - Count()));
  if (!user_header_out.empty()) {
    const std::span<const std::byte> stored = UserHeader();
    std::copy_n(stored.begin(), std::min(stored.size(), user_header_out.size()),
                user_header_out.begin());
  }
  return true;
}

bool TableFile::Create(std::string_view table_path, uint32_t file_id,
                       std::span<const std::byte> user_header) {
  if (file_.is_open()) {
    ShowError(Message(kCreatePrefix, "Object is already open"));
    return false;
  }
  if (table_path.size() > tf::kMaxTablePathLength) {
    ShowError(Message(kCreatePrefix, "File name is too long"));
    return false;
  }
  return CreateFile(HashedTableFileName(table_path, file_id), user_header);
}

bool TableFile::CreateFile(const std::string& disk_path, std::span<const std::byte> user_header) {
  if (Status opened = file_.Open(disk_path, FileOpenMode::kCreateAlways); !opened.ok()) {
    ShowError(WithSuffix(kCreatePrefix, "CreateFile failed", opened.error()));
    return false;
  }
  if (Status resized = file_.Resize(tf::kGrowthStep); !resized.ok()) {
    file_.Close();
    ShowError(WithSuffix(kCreatePrefix, "CreateFileMapping failed", resized.error()));
    return false;
  }
  if (Status mapped = file_.Map(tf::kGrowthStep); !mapped.ok()) {
    file_.Close();
    ShowError(WithSuffix(kCreatePrefix, "MapViewOfFile failed", mapped.error()));
    return false;
  }
  std::memset(file_.data(), 0, tf::kGrowthStep);
  StoreLE32(file_.data() + tf::kSignature1Offset, tf::kSignature1);
  StoreLE32(file_.data() + tf::kSignature2Offset, tf::kSignature2);
  SetHeader32(kMapped, tf::kGrowthStep);
  SetHeader32(kCount, 0);
  SetCapacityFromMapping();
  SetHeader32(kFree, static_cast<uint32_t>(capacity_));
  if (!user_header.empty()) {
    const std::span<std::byte> stored = UserHeader();
    std::copy_n(user_header.begin(), std::min(stored.size(), user_header.size()), stored.begin());
  }
  return true;
}

bool TableFile::Grow() {
  const uint32_t old_size = Header32(kMapped);
  if (old_size >= tf::kSizeLimit) {
    growth_failures.fetch_add(1, std::memory_order_relaxed);
    ShowError(Message(kExpandPrefix, "size limit reached"));
    return false;
  }
  const uint32_t new_size = old_size + tf::kGrowthStep;
  // A cancelled growth must not leave the file longer than its header says: the next open
  // would refuse it as a bad size and the whole database would have to be reset.
  auto give_up = [&] {
    growth_failures.fetch_add(1, std::memory_order_relaxed);
    file_.Unmap();
    (void)file_.Resize(old_size);
    file_.Close();
    capacity_ = 0;
  };
  while (true) {
    Status resized = file_.Resize(new_size);
    if (resized.ok()) break;
    if (!AskRetry(WithSuffix(kExpandPrefix, "CreateFileMapping failed", resized.error()))) {
      give_up();
      return false;
    }
  }
  while (!file_.Extend(new_size).ok()) {
    if (!AskRetry(Message(kExpandPrefix, "MapViewOfFile failed"))) {
      give_up();
      return false;
    }
  }
  std::memset(file_.data() + old_size, 0, tf::kGrowthStep);
  SetHeader32(kMapped, new_size);
  SetCapacityFromMapping();
  SetHeader32(kFree, static_cast<uint32_t>(capacity_ - Count()));
  return true;
}

bool TableFile::Reserve(int32_t units) {
  if (!is_open() || units < 0) return false;
  while (capacity_ - Count() < units) {
    if (!Grow()) return false;
  }
  return true;
}

int32_t TableFile::TakeUnits(int32_t units) {
  const int32_t first = Count();
  SetHeader32(kCount, static_cast<uint32_t>(first + units));
  SetHeader32(kFree, static_cast<uint32_t>(capacity_ - first - units));
  return first;
}

int32_t TableFile::Append() { return Reserve(1) ? TakeUnits(1) : -1; }

int32_t TableFile::AppendMany(int32_t units) { return Reserve(units) ? TakeUnits(units) : -1; }

int32_t TableFile::InsertAt(int32_t position) {
  const int32_t old_count = Count();
  const int32_t last = Append();
  if (last < 0) return -1;
  if (position >= old_count) return last;
  position = std::max(position, 0);
  std::memmove(UnitAt(position + 1), UnitAt(position),
               static_cast<size_t>(old_count - position) * Bytes(unit_size_));
  return position;
}

std::span<std::byte> TableFile::UserHeader() {
  if (!is_open()) return {};
  return {reinterpret_cast<std::byte*>(file_.data()) + tf::kUserHeaderOffset, tf::kUserHeaderSize};
}

std::span<const std::byte> TableFile::UserHeader() const {
  if (!is_open()) return {};
  return {reinterpret_cast<const std::byte*>(file_.data()) + tf::kUserHeaderOffset,
          tf::kUserHeaderSize};
}

}  // namespace velmora
