// Storing retrieved logs: names, listing, conversion between the three kinds, the overwrite
// question, renaming by the first entry, and write failures with Retry.
#include "retrieval/log_store.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/byte_order.h"
#include "retrieval/first_entry.h"
#include "retrieval/log_listing.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using C = StoreCompression;

std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

std::string Converted(const std::string& data, C from, C to) {
  std::string out;
  EXPECT_TRUE(ConvertLog(Bytes(data), from, to, [&](std::span<const uint8_t> b) {
                out.append(reinterpret_cast<const char*>(b.data()), b.size());
                return Status{};
              }).ok());
  return out;
}

std::string Plain(size_t lines) {
  std::string text;
  for (size_t i = 0; i < lines; ++i) {
    text += "10.0.0." + std::to_string(i % 250) + " - - [05/Dec/2002:09:37:12 +0000] \"GET /p" +
            std::to_string(i) + ".html HTTP/1.1\" 200 " + std::to_string(i * 7) + "\n";
  }
  return text;
}

TEST(LogNames, BaseNamesAndListing) {
  const struct {
    std::string source, base;
  } names[] = {{"Access.LOG.gz", "access"},
               {"ex021205.log", "ex021205"},
               {"a.log.log.bz2", "a"},
               {"error_log", "error_log"},
               {".log", ".log"}};
  for (const auto& n : names) EXPECT_EQ(StoredBaseName(n.source), n.base) << n.source;

  velmora::testing::TempDir dir;
  fs::create_directories(dir / "src");
  fs::create_directories(dir / "logs");
  for (const char* name : {"access.log", "Other.LOG", "b.gz", "notes.txt", "x.bz2", "ACCESS-2"}) {
    std::ofstream(dir / ("src/" + std::string(name))) << "x";
  }
  std::ofstream(dir / "logs/access.log.bz2") << "x";
  const auto list = ListLogFolder(dir / "src", dir / "logs");
  std::vector<std::string> shown;
  for (const auto& c : list) shown.push_back(c.name + (c.is_new ? "" : " (stored)"));
  EXPECT_EQ(shown, (std::vector<std::string>{"x.bz2", "other.log", "b.gz", "access.log (stored)",
                                             "access-2"}));
}

TEST(LogConversion, EveryKindToEveryKind) {
  const std::string plain = Plain(3000);
  const std::string gz = Converted(plain, C::kNone, C::kGzip);
  const std::string bz = Converted(plain, C::kNone, C::kBzip2);
  EXPECT_EQ(gz.substr(0, 10), std::string("\x1F\x8B\x08\0\0\0\0\0\0\x0B", 10));
  // The trailer our reader skips but gzip checks: the plain text's CRC-32 and length.
  EXPECT_EQ(LoadLE32(gz.data() + gz.size() - 8),
            crc32(0, reinterpret_cast<const Bytef*>(plain.data()), plain.size()));
  EXPECT_EQ(LoadLE32(gz.data() + gz.size() - 4), plain.size());
  EXPECT_EQ(SourceCompression(Bytes(gz)), C::kGzip);
  EXPECT_EQ(SourceCompression(Bytes(bz)), C::kBzip2);
  EXPECT_EQ(SourceCompression(Bytes(plain)), C::kNone);
  const std::string sources[] = {plain, gz, bz};
  const C kinds[] = {C::kNone, C::kGzip, C::kBzip2};
  for (size_t s = 0; s < 3; ++s) {
    for (C to : kinds) {
      const std::string out = Converted(sources[s], kinds[s], to);
      EXPECT_EQ(Converted(out, to, C::kNone), plain) << s << " to " << static_cast<int>(to);
    }
  }
  EXPECT_EQ(DecodedSample(Bytes(gz), C::kGzip, 100), plain.substr(0, 100));
  EXPECT_EQ(DecodedSample(Bytes(bz), C::kBzip2, 16384), plain.substr(0, 16384));
  // Damaged input fails the conversion instead of storing garbage.
  const std::string cut = gz.substr(0, gz.size() / 2);
  EXPECT_FALSE(ConvertLog(Bytes(cut), C::kGzip, C::kBzip2, [](auto) { return Status{}; }).ok());
}

TEST(FirstEntry, W3cCustomAndDetected) {
  const std::string w3c =
      "#Software: x\r\n#Date: 2001-01-01 00:00:00\r\n#Fields: date time c-ip cs-uri-stem\r\n"
      "2002-12-05 09:37:12 10.0.0.1 /a.html\r\n";
  const std::string w3c_no_date =
      "#Date: 2003-04-05 06:07:08\n#Fields: time c-ip\n10:11:12 10.0.0.1\n";
  const std::string combined = Plain(5);
  const struct {
    std::string sample;
    LogFormatMode mode;
    std::string format;
    std::string base;  // "" for none
  } cases[] = {
      {w3c, LogFormatMode::kW3cExtended, "", "20021205-0937"},
      {w3c, LogFormatMode::kAutodetect, "", "20021205-0937"},
      {w3c_no_date, LogFormatMode::kW3cExtended, "", "20030405-1011"},
      {combined, LogFormatMode::kAutodetect, "", "20021205-0937"},
      {"#Fields: c-ip\n10.0.0.1\n", LogFormatMode::kW3cExtended, "", ""},
      {"nothing to see here\n", LogFormatMode::kAutodetect, "", ""},
  };
  for (const auto& c : cases) {
    const auto t = FirstEntryTime(c.sample, c.mode, c.format);
    EXPECT_EQ(t ? TimeBaseName(*t) : "", c.base) << c.sample;
  }
}

// Files that fail the writes chosen: write number `fail_at` (1 on) fails with `error`, once.
class FlakyFiles final : public StoreFiles {
 public:
  FlakyFiles(int fail_at, int error) : fail_at_(fail_at), error_(error) {}
  Status Create(const std::string& path) override { return disk_->Create(path); }
  Status Write(std::span<const uint8_t> bytes) override {
    if (++writes_ == fail_at_) return Error{error_, "injected"};
    return disk_->Write(bytes);
  }
  Status Close() override { return disk_->Close(); }
  Status Rename(const std::string& from, const std::string& to) override {
    return disk_->Rename(from, to);
  }
  void Remove(const std::string& path) override { disk_->Remove(path); }
  int writes() const { return writes_; }

 private:
  std::unique_ptr<StoreFiles> disk_ = DiskStoreFiles();
  int fail_at_;
  int error_;
  int writes_ = 0;
};

class LogStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir_ / "logs"); }
  StoreContext Context(StoreFiles& files, C compression = C::kGzip) {
    StoreContext c;
    c.settings = {dir_ / "logs", compression, LogFormatMode::kAutodetect, ""};
    c.prompter = &prompter_;
    c.files = &files;
    c.is_parsed = [this](std::string_view name) { return parsed_.count(std::string(name)) > 0; };
    c.now = [] { return Ticks{0}; };
    return c;
  }
  std::vector<std::string> Logs() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_ / "logs")) {
      if (e.is_regular_file()) names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string Read(const std::string& name) {
    std::ifstream in(dir_ / ("logs/" + name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  velmora::testing::TempDir dir_;
  ScriptedPrompter prompter_;
  std::set<std::string> parsed_;
  std::unique_ptr<StoreFiles> disk_ = DiskStoreFiles();
};

TEST_F(LogStoreTest, StoresNamesAndAsksBeforeReplacing) {
  YesToAll state = 0;
  const std::string log = Plain(10);
  StoreResult stored = StoreLog(Context(*disk_), "ex021205.log", Bytes(log), false, state);
  EXPECT_EQ(stored.outcome, StoreOutcome::kStored);
  EXPECT_EQ(Logs(), (std::vector<std::string>{"ex021205.log.gz"}));
  EXPECT_EQ(Converted(Read("ex021205.log.gz"), C::kGzip, C::kNone), log);

  parsed_.insert("ex021205.log.gz");
  prompter_.QueueAnswer(PromptAnswer::kNo);
  EXPECT_EQ(StoreLog(Context(*disk_), "ex021205.log", Bytes(log), false, state).outcome,
            StoreOutcome::kKept);
  ASSERT_EQ(prompter_.messages().size(), 1u);
  EXPECT_EQ(prompter_.messages()[0].caption, "Destination file already exist");
  EXPECT_EQ(prompter_.messages()[0].buttons, PromptButtons::kYesAllNoAllNo);

  prompter_.QueueAnswer(PromptAnswer::kYesToAll);
  stored = StoreLog(Context(*disk_, C::kBzip2), "EX021205.LOG", Bytes(log), false, state);
  EXPECT_EQ(stored.outcome, StoreOutcome::kStored);
  EXPECT_TRUE(stored.replaced_parsed);
  EXPECT_EQ(state, 1);
  EXPECT_EQ(Logs(), (std::vector<std::string>{"ex021205.log.bz2"}));
  // Yes to All holds without asking again; No to All keeps without asking.
  EXPECT_EQ(StoreLog(Context(*disk_), "ex021205.log", Bytes(log), false, state).outcome,
            StoreOutcome::kStored);
  state = -1;
  EXPECT_EQ(StoreLog(Context(*disk_), "ex021205.log", Bytes(log), false, state).outcome,
            StoreOutcome::kKept);
  EXPECT_EQ(prompter_.messages().size(), 2u);

  // The gzip magic counts, not the name; renaming takes the first entry's time.
  const std::string gz = Converted(log, C::kNone, C::kGzip);
  stored = StoreLog(Context(*disk_, C::kNone), "access.log", Bytes(gz), true, state);
  EXPECT_EQ(stored.stored_name, "20021205-0937.log");
  EXPECT_EQ(Read("20021205-0937.log"), log);
  EXPECT_FALSE(fs::exists(dir_ / "logs/.incoming/20021205-0937.log"));
}

TEST_F(LogStoreTest, WriteFailuresAskAndRetryWritesTheWholeFile) {
  const std::string log = Plain(40000);  // several blocks of gzip output
  const struct {
    int error;
    PromptAnswer answer;
    std::string text;
    StoreOutcome outcome;
  } cases[] = {
      {ENOSPC, PromptAnswer::kRetry,
       "Failed to save log file There is not enough space on the disk", StoreOutcome::kStored},
      {EROFS, PromptAnswer::kCancel, "Failed to save log file The media is write protected",
       StoreOutcome::kFailed},
      {EIO, PromptAnswer::kCancel, "Failed to save log file Unexpected error #5",
       StoreOutcome::kFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    fs::remove_all(dir_ / "logs");
    fs::create_directories(dir_ / "logs");
    prompter_.Clear();
    FlakyFiles files(2, c.error);
    prompter_.QueueAnswer(c.answer);
    YesToAll state = 0;
    const StoreResult r = StoreLog(Context(files, C::kGzip), "big.log", Bytes(log), false, state);
    EXPECT_EQ(r.outcome, c.outcome);
    ASSERT_EQ(prompter_.texts().size(), 1u);
    EXPECT_EQ(prompter_.texts()[0], c.text);
    if (c.outcome == StoreOutcome::kStored) {
      EXPECT_EQ(Converted(Read("big.log.gz"), C::kGzip, C::kNone), log);  // all of it, again
    } else {
      EXPECT_TRUE(Logs().empty());
      EXPECT_FALSE(fs::exists(dir_ / "logs/.incoming/big.log.gz"));
    }
  }
}

}  // namespace
}  // namespace velmora
