#include "retrieval/log_store.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "retrieval/first_entry.h"
#include "retrieval/log_listing.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kOverwriteCaption = "Destination file already exist";

class DiskFiles final : public StoreFiles {
 public:
  ~DiskFiles() override {
    if (file_ != nullptr) std::fclose(file_);
  }
  Status Create(const std::string& path) override {
    if (file_ != nullptr) std::fclose(file_);
    file_ = std::fopen(path.c_str(), "wb");
    return file_ != nullptr ? Status{} : Error{errno, "cannot create " + path};
  }
  Status Write(std::span<const uint8_t> bytes) override {
    if (file_ == nullptr) return Error{EBADF, "not open"};
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size() ||
        std::fflush(file_) != 0) {
      return Error{errno != 0 ? errno : EIO, "write failed"};
    }
    return {};
  }
  Status Close() override {
    if (file_ == nullptr) return {};
    errno = 0;
    const int rc = std::fclose(file_);
    file_ = nullptr;
    return rc == 0 ? Status{} : Error{errno != 0 ? errno : EIO, "close failed"};
  }
  Status Rename(const std::string& from, const std::string& to) override {
    std::error_code ec;
    fs::rename(from, to, ec);
    return ec ? Status(Error{ec.value(), ec.message()}) : Status{};
  }
  void Remove(const std::string& path) override {
    std::error_code ec;
    fs::remove(path, ec);
  }

 private:
  std::FILE* file_ = nullptr;
};

std::string Replace(std::string text, std::string_view mark, std::string_view value) {
  const size_t at = text.find(mark);
  if (at != std::string::npos) text.replace(at, mark.size(), value);
  return text;
}

// Writes the whole stored file once; the error's code is the errno of what failed.
Status WriteOnce(const StoreContext& c, const std::string& path, std::span<const uint8_t> data,
                 StoreCompression from) {
  if (Status created = c.files->Create(path); !created.ok()) return created;
  Status written =
      ConvertLog(data, from, c.settings.compression, [&](std::span<const uint8_t> block) {
        Status s = c.files->Write(block);
        if (s.ok() && c.detail)
          c.detail("Writing raw data, " + std::to_string(block.size()) + " bytes");
        return s;
      });
  Status closed = c.files->Close();
  if (!written.ok()) return written;
  return closed;
}

}  // namespace

std::unique_ptr<StoreFiles> DiskStoreFiles() { return std::make_unique<DiskFiles>(); }

std::string WriteErrorText(int error) {
  if (error == EROFS) return "The media is write protected";
  if (error == ENOSPC || error == EDQUOT) return "There is not enough space on the disk";
  return "Unexpected error #" + std::to_string(error);
}

StoreResult StoreLog(const StoreContext& c, std::string_view source_name,
                     std::span<const uint8_t> data, bool rename, YesToAll& yes_to_all) {
  StoreResult result;
  if (data.size() < 10) {
    result.outcome = StoreOutcome::kTooShort;
    return result;
  }
  const StoreCompression from = SourceCompression(data);
  std::string base = StoredBaseName(source_name);
  if (rename) {
    const std::string sample = DecodedSample(data, from, kFirstEntrySampleBytes);
    std::optional<CalendarTime> first =
        FirstEntryTime(sample, c.settings.format_mode, c.settings.format_string);
    base = TimeBaseName(first.value_or(TicksToCalendar(c.now ? c.now() : 0)));
  }
  const std::string name = base + ".log";
  const std::vector<std::string> existing = StoredFilesNamed(c.settings.logs_folder, name);
  if (!existing.empty()) {
    if (yes_to_all == 0) {
      const std::string text = Replace(
          "The file \"%s\" already exists. To overwrite the file, click 'Yes' or 'Yes to All' if "
          "you wish to overwrite all existing files. Otherwise click 'No' or 'No to All'",
          "%s", name);
      const PromptAnswer answer = c.prompter->Ask(
          kOverwriteCaption, text, PromptButtons::kYesAllNoAllNo, PromptIcon::kQuestion);
      if (answer == PromptAnswer::kYesToAll) yes_to_all = 1;
      if (answer == PromptAnswer::kNoToAll) yes_to_all = -1;
      if (answer != PromptAnswer::kYes && answer != PromptAnswer::kYesToAll) {
        result.outcome = StoreOutcome::kKept;
        return result;
      }
    } else if (yes_to_all < 0) {
      result.outcome = StoreOutcome::kKept;
      return result;
    }
  }
  result.stored_name = name + std::string(CompressionExtension(c.settings.compression));
  const std::string incoming = c.settings.logs_folder + "/" + std::string(kIncomingFolder);
  std::error_code ec;
  fs::create_directories(incoming, ec);
  const std::string partial = incoming + "/" + result.stored_name;
  for (;;) {
    const Status written = WriteOnce(c, partial, data, from);
    if (written.ok()) break;
    c.files->Remove(partial);
    if (written.error().code == 0) {  // the source itself is damaged: no retry can help
      result.error = written.error().message;
      return result;
    }
    const std::string reason = WriteErrorText(written.error().code);
    if (c.prompter->Ask(kAppCaption, "Failed to save log file " + reason,
                        PromptButtons::kRetryCancel, PromptIcon::kError) != PromptAnswer::kRetry) {
      result.error = reason;
      return result;
    }
  }
  // Only now does the old file go: a failed or cancelled store keeps what was there.
  for (const std::string& old : existing) {
    if (c.is_parsed && c.is_parsed(old)) result.replaced_parsed = true;
    c.files->Remove(c.settings.logs_folder + "/" + old);
  }
  if (Status moved = c.files->Rename(partial, c.settings.logs_folder + "/" + result.stored_name);
      !moved.ok()) {
    c.files->Remove(partial);
    result.error = moved.error().message;
    return result;
  }
  result.outcome = StoreOutcome::kStored;
  return result;
}

}  // namespace velmora
