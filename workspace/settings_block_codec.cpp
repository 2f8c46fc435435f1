// Layout of the SettingsBlock (5760 bytes, little-endian; texts NUL-terminated, 260 bytes unless
// said; every byte not listed is zero):
//
//      0  10   header "STP" 05 00 11 09 20 02 00 (revision 3)
//     10 260   workspace name          270 260   server names
//    530 260   default file            790 260   HTTP (Fetchlet) server
//   1050 260   FTP server             1310 260   Fetchlet path
//   1570 260   HTTP log path          1830 260   FTP log path
//   2090   2   reserved               2092   4   FTP port
//   2096   4   passive FTP            2100 260   HTTP user name
//   2360 260   FTP login              2620 260   HTTP password (scrambled)
//   2880 260   FTP password (scrambled)
//   3140   4   retrieval options      3144   4   Fetchlet uses GZIP
//   3148   4   HTTP files to keep     3152   4   FTP files to keep
//   3156   4   retrieve method        3160   4   log format mode
//   3164   4   local compression      3168 2048  custom format
//   5216   4   session timeout        5220   4   server time zone
//   5224   4   your time zone         5228   4   switch to recent statistics
//   5232   4   flags                  5236   4   individual export limit
//   5240   4   combined export limit  5244   4   open exported report
//   5248 512   reserved
//
// Scrambling: register A starts at all ones and takes the header, the workspace name and the
// server names (each up to its NUL, at most 260 bytes); register B starts from A and takes the
// HTTP user name; A then takes the FTP login. The HTTP password field, as 65 little-endian words,
// has word k (1..65) XOR-ed with B, after which B steps with the byte 66 - k; the FTP password
// field the same with A. Because the key never depends on the passwords, applying it twice
// restores them.
#include "workspace/settings_block_codec.h"

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "core/byte_order.h"
#include "core/crc32.h"

namespace velmora {
namespace {

namespace sf = settings_format;

struct FieldSpan {
  size_t offset;
  size_t width;
};

// Every field in order; the static_assert below proves they tile the block without gaps.
constexpr FieldSpan kFields[] = {
    {sf::kHeader, sf::kHeaderSize},
    {sf::kWorkspaceName, kTextFieldSize},
    {sf::kServerNames, kTextFieldSize},
    {sf::kDefaultFile, kTextFieldSize},
    {sf::kHttpServer, kTextFieldSize},
    {sf::kFtpServer, kTextFieldSize},
    {sf::kFetchletPath, kTextFieldSize},
    {sf::kHttpLogPath, kTextFieldSize},
    {sf::kFtpLogPath, kTextFieldSize},
    {sf::kReserved1, 2},
    {sf::kFtpPort, 4},
    {sf::kPassiveFtp, 4},
    {sf::kHttpUser, kTextFieldSize},
    {sf::kFtpLogin, kTextFieldSize},
    {sf::kHttpPassword, kTextFieldSize},
    {sf::kFtpPassword, kTextFieldSize},
    {sf::kRetrievalOptions, 4},
    {sf::kFetchletGzip, 4},
    {sf::kHttpFilesToKeep, 4},
    {sf::kFtpFilesToKeep, 4},
    {sf::kRetrieveMethod, 4},
    {sf::kLogFormatMode, 4},
    {sf::kLocalCompression, 4},
    {sf::kCustomFormat, kCustomFormatFieldSize},
    {sf::kSessionTimeout, 4},
    {sf::kServerTimeZone, 4},
    {sf::kYourTimeZone, 4},
    {sf::kSwitchToRecent, 4},
    {sf::kFlags, 4},
    {sf::kExportLimit, 4},
    {sf::kCombinedExportLimit, 4},
    {sf::kOpenExportedReport, 4},
    {sf::kReserved2, 512},
};

constexpr bool FieldsTileTheBlock() {
  size_t next = 0;
  for (const FieldSpan& f : kFields) {
    if (f.offset != next) return false;
    next = f.offset + f.width;
  }
  return next == sf::kBlockSize;
}
static_assert(FieldsTileTheBlock(), "settings block fields must be contiguous and fill 5760 bytes");
static_assert(kTextFieldSize % 4 == 0, "password fields are scrambled as whole 32-bit words");

using Block = std::span<uint8_t, sf::kBlockSize>;
using ConstBlock = std::span<const uint8_t, sf::kBlockSize>;

// Feeds the text at `offset` (up to its NUL, at most one field) into the register.
uint32_t CrcField(uint32_t reg, ConstBlock block, size_t offset) {
  for (size_t i = 0; i < kTextFieldSize && block[offset + i] != 0; ++i) {
    reg = CrcStep(reg, block[offset + i]);
  }
  return reg;
}

void XorPasswordField(Block block, size_t offset, uint32_t reg) {
  constexpr size_t kWords = kTextFieldSize / 4;
  for (size_t k = 1; k <= kWords; ++k) {
    uint8_t* word = block.data() + offset + 4 * (k - 1);
    StoreLE32(word, LoadLE32(word) ^ reg);
    reg = CrcStep(reg, static_cast<uint8_t>(kWords + 1 - k));
  }
}

void PutText(Block block, size_t offset, size_t width, std::string_view text) {
  const size_t n = std::min({text.size(), width - 1, text.find('\0')});
  std::memcpy(block.data() + offset, text.data(), n);
  block[offset + n] = 0;
}

void PutU32(Block block, size_t offset, uint32_t value) { StoreLE32(block.data() + offset, value); }
void PutI32(Block block, size_t offset, int32_t value) {
  PutU32(block, offset, static_cast<uint32_t>(value));
}

// Fills the bytes after the password's NUL with odd values, so that no zero byte follows the
// terminator on disk.
void PadPassword(Block block, size_t offset, std::minstd_rand& rng) {
  size_t i = 0;
  while (i < kTextFieldSize && block[offset + i] != 0) ++i;
  for (++i; i < kTextFieldSize; ++i) {
    block[offset + i] = static_cast<uint8_t>((rng() >> 7) | 1u);
  }
}

// Reads the text of a field; fails when the field has no NUL.
bool GetText(ConstBlock block, size_t offset, size_t width, std::string& out) {
  const auto* begin = reinterpret_cast<const char*>(block.data() + offset);
  const void* nul = std::memchr(begin, 0, width);
  if (nul == nullptr) return false;
  out.assign(begin, static_cast<const char*>(nul));
  return true;
}

int32_t GetI32(ConstBlock block, size_t offset) {
  return static_cast<int32_t>(LoadLE32(block.data() + offset));
}

}  // namespace

int HeaderRevision(std::span<const uint8_t> bytes) {
  if (bytes.size() < sf::kHeaderSize) return 0;
  const auto head = bytes.first(sf::kHeaderSize);
  if (std::equal(head.begin(), head.end(), sf::kHeaderRevision1.begin())) return 1;
  if (std::equal(head.begin(), head.end(), sf::kHeaderRevision2.begin())) return 2;
  if (std::equal(head.begin(), head.end(), sf::kHeaderRevision3.begin())) return 3;
  return 0;
}

void ScramblePasswords(Block block) {
  uint32_t a = 0xFFFFFFFFu;
  for (size_t i = 0; i < sf::kHeaderSize; ++i) a = CrcStep(a, block[sf::kHeader + i]);
  a = CrcField(a, block, sf::kWorkspaceName);
  a = CrcField(a, block, sf::kServerNames);
  const uint32_t b = CrcField(a, block, sf::kHttpUser);
  a = CrcField(a, block, sf::kFtpLogin);
  XorPasswordField(block, sf::kHttpPassword, b);
  XorPasswordField(block, sf::kFtpPassword, a);
}

SettingsBlockBytes EncodeSettingsBlock(const SettingsBlock& s, uint32_t padding_seed) {
  SettingsBlockBytes bytes{};
  const Block block(bytes);
  std::copy(sf::kHeaderRevision3.begin(), sf::kHeaderRevision3.end(), bytes.begin());
  PutText(block, sf::kWorkspaceName, kTextFieldSize, s.workspace_name);
  PutText(block, sf::kServerNames, kTextFieldSize, s.server_names);
  PutText(block, sf::kDefaultFile, kTextFieldSize, s.default_file);
  PutText(block, sf::kHttpServer, kTextFieldSize, s.http_server);
  PutText(block, sf::kFtpServer, kTextFieldSize, s.ftp_server);
  PutText(block, sf::kFetchletPath, kTextFieldSize, s.fetchlet_path);
  PutText(block, sf::kHttpLogPath, kTextFieldSize, s.http_log_path);
  PutText(block, sf::kFtpLogPath, kTextFieldSize, s.ftp_log_path);
  PutI32(block, sf::kFtpPort, s.ftp_port);
  PutI32(block, sf::kPassiveFtp, s.passive_ftp);
  PutText(block, sf::kHttpUser, kTextFieldSize, s.http_user);
  PutText(block, sf::kFtpLogin, kTextFieldSize, s.ftp_login);
  PutText(block, sf::kHttpPassword, kTextFieldSize, s.http_password);
  PutText(block, sf::kFtpPassword, kTextFieldSize, s.ftp_password);
  PutU32(block, sf::kRetrievalOptions, s.retrieval_options);
  PutI32(block, sf::kFetchletGzip, s.fetchlet_gzip);
  PutI32(block, sf::kHttpFilesToKeep, s.http_files_to_keep);
  PutI32(block, sf::kFtpFilesToKeep, s.ftp_files_to_keep);
  PutI32(block, sf::kRetrieveMethod, static_cast<int32_t>(s.retrieve_method));
  PutI32(block, sf::kLogFormatMode, static_cast<int32_t>(s.log_format_mode));
  PutI32(block, sf::kLocalCompression, static_cast<int32_t>(s.local_compression));
  PutText(block, sf::kCustomFormat, kCustomFormatFieldSize, s.custom_format);
  PutI32(block, sf::kSessionTimeout, s.session_timeout);
  PutI32(block, sf::kServerTimeZone, s.server_time_zone);
  PutI32(block, sf::kYourTimeZone, s.your_time_zone);
  PutI32(block, sf::kSwitchToRecent, s.switch_to_recent);
  PutU32(block, sf::kFlags, s.flags);
  PutI32(block, sf::kExportLimit, s.export_limit);
  PutI32(block, sf::kCombinedExportLimit, s.combined_export_limit);
  PutI32(block, sf::kOpenExportedReport, s.open_exported_report);

  std::minstd_rand rng(padding_seed);
  PadPassword(block, sf::kHttpPassword, rng);
  PadPassword(block, sf::kFtpPassword, rng);
  ScramblePasswords(block);
  return bytes;
}

Result<SettingsBlock> DecodeSettingsBlock(ConstBlock stored) {
  const int revision = HeaderRevision(stored);
  if (revision == 0) return Error{0, "unrecognised header"};
  if (revision != 3) {
    return Error{0, "header of revision " + std::to_string(revision) + " is not read"};
  }
  SettingsBlockBytes bytes;
  std::copy(stored.begin(), stored.end(), bytes.begin());
  const Block block(bytes);
  ScramblePasswords(block);

  SettingsBlock s;
  struct TextField {
    size_t offset;
    size_t width;
    std::string* out;
  };
  const TextField texts[] = {
      {sf::kWorkspaceName, kTextFieldSize, &s.workspace_name},
      {sf::kServerNames, kTextFieldSize, &s.server_names},
      {sf::kDefaultFile, kTextFieldSize, &s.default_file},
      {sf::kHttpServer, kTextFieldSize, &s.http_server},
      {sf::kFtpServer, kTextFieldSize, &s.ftp_server},
      {sf::kFetchletPath, kTextFieldSize, &s.fetchlet_path},
      {sf::kHttpLogPath, kTextFieldSize, &s.http_log_path},
      {sf::kFtpLogPath, kTextFieldSize, &s.ftp_log_path},
      {sf::kHttpUser, kTextFieldSize, &s.http_user},
      {sf::kFtpLogin, kTextFieldSize, &s.ftp_login},
      {sf::kHttpPassword, kTextFieldSize, &s.http_password},
      {sf::kFtpPassword, kTextFieldSize, &s.ftp_password},
      {sf::kCustomFormat, kCustomFormatFieldSize, &s.custom_format},
  };
  for (const TextField& t : texts) {
    if (!GetText(block, t.offset, t.width, *t.out)) {
      return Error{0, "text field at offset " + std::to_string(t.offset) + " has no end"};
    }
  }
  s.ftp_port = GetI32(block, sf::kFtpPort);
  s.passive_ftp = GetI32(block, sf::kPassiveFtp);
  s.retrieval_options = LoadLE32(block.data() + sf::kRetrievalOptions);
  s.fetchlet_gzip = GetI32(block, sf::kFetchletGzip);
  s.http_files_to_keep = GetI32(block, sf::kHttpFilesToKeep);
  s.ftp_files_to_keep = GetI32(block, sf::kFtpFilesToKeep);
  s.retrieve_method = static_cast<RetrieveMethod>(GetI32(block, sf::kRetrieveMethod));
  s.log_format_mode = static_cast<LogFormatMode>(GetI32(block, sf::kLogFormatMode));
  s.local_compression = static_cast<LocalCompression>(GetI32(block, sf::kLocalCompression));
  s.session_timeout = GetI32(block, sf::kSessionTimeout);
  s.server_time_zone = GetI32(block, sf::kServerTimeZone);
  s.your_time_zone = GetI32(block, sf::kYourTimeZone);
  s.switch_to_recent = GetI32(block, sf::kSwitchToRecent);
  s.flags = LoadLE32(block.data() + sf::kFlags);
  s.export_limit = GetI32(block, sf::kExportLimit);
  s.combined_export_limit = GetI32(block, sf::kCombinedExportLimit);
  s.open_exported_report = GetI32(block, sf::kOpenExportedReport);
  return s;
}

}  // namespace velmora
