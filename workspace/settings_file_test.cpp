#include "workspace/settings_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/byte_order.h"
#include "core/crc32.h"
#include "workspace/settings_block_codec.h"

namespace velmora {
namespace {

std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

std::string TextAt(const std::string& file, size_t offset) {
  return std::string(file.c_str() + offset);
}

uint32_t U32At(const std::string& file, size_t offset) { return LoadLE32(file.data() + offset); }

// The stored block with its passwords unscrambled again.
std::string Unscrambled(const std::string& file) {
  std::string block = file.substr(0, 5760);
  ScramblePasswords(std::span<uint8_t, 5760>(reinterpret_cast<uint8_t*>(block.data()), 5760));
  return block;
}

WorkspaceSettings FullSettings() {
  WorkspaceSettings s = NewWorkspaceSettings("Full Site");
  s.block.server_names = "example.org,www.example.org";
  s.block.http_user = "webmaster";
  s.block.ftp_login = "uploader";
  s.block.http_password = "h-secret";
  s.block.ftp_password = "f-secret";
  s.block.custom_format = "%S %j %u [%d/%M/%Y:%h:%n:%o%w%j]";
  s.block.session_timeout = 45;
  s.block.your_time_zone = 26;
  s.block.retrieve_method = RetrieveMethod::kFtp;
  s.last_import_folder = "/srv/logs/";
  LogFilter f;
  f.name = "Office";
  f.address_operation = 3;
  f.address_text = "10.1.0.0/16";
  f.address = 0x0A010000;
  f.address_mask = 0xFFFF0000;
  f.user_agent_operation = 3;
  f.user_agent_text = "bot";
  f.status_operation = 2;
  f.status = 404;
  f.set_resource = 1;
  f.new_resource = "/other";
  f.continue_with_others = 1;
  f.type_action = 4;
  f.logging_action = 2;
  s.log_filters = {f, LogFilter{}};
  s.report_filters = {{"Search", 1, {{3, 0, "analyzer"}, {9, 1, "Germany"}}}, {"Empty", 0, {}}};
  s.filter_bar.selected_filter = "Search";
  s.filter_bar.filter_mode = 0;
  s.filter_bar.ip_filter = "10.1.0.0/16";
  s.filter_bar.quick_value = "x";
  return s;
}

TEST(SettingsFile, NewWorkspaceBlockHasEveryDefaultAtItsOffset) {
  const std::string file = EncodeWorkspaceFile(NewWorkspaceSettings("My Site"), 1);
  const std::string header("\x53\x54\x50\x05\x00\x11\x09\x20\x02\x00", 10);
  EXPECT_EQ(file.substr(0, 10), header);

  const std::string block = Unscrambled(file);
  struct Text {
    size_t offset;
    std::string value;
  } const texts[] = {
      {10, "My Site"},
      {270, ""},
      {530, "index.htm"},
      {790, "www.example.com"},
      {1050, "ftp.example.com"},
      {1310, "/cgi-bin/fl.dll"},
      {1570, "/logs"},
      {1830, "/logs/"},
      {2100, ""},
      {2360, ""},
      {2620, ""},
      {2880, ""},
      {3168, ""},
  };
  for (const Text& t : texts) EXPECT_EQ(TextAt(block, t.offset), t.value) << t.offset;
  struct Number {
    size_t offset;
    uint32_t value;
  } const numbers[] = {
      {2092, 21}, {2096, 1}, {3140, 1},   {3144, 1},  {3148, 91}, {3152, 91},
      {3156, 2},  {3160, 1}, {3164, 1},   {5216, 30}, {5220, 24}, {5224, 24},
      {5228, 1},  {5232, 3}, {5236, 100}, {5240, 30}, {5244, 1},
  };
  for (const Number& n : numbers) EXPECT_EQ(U32At(block, n.offset), n.value) << n.offset;

  // Every byte that is neither a field's text nor a number is zero, except the password filler.
  std::vector<bool> used(5760, false);
  for (size_t i = 0; i < 10; ++i) used[i] = true;
  for (const Text& t : texts) {
    for (size_t i = 0; i < t.value.size(); ++i) used[t.offset + i] = true;
  }
  for (const Number& n : numbers) {
    for (size_t i = 0; i < 4; ++i) used[n.offset + i] = true;
  }
  for (size_t i = 2621; i < 2880; ++i) used[i] = true;
  for (size_t i = 2881; i < 3140; ++i) used[i] = true;
  for (size_t i = 0; i < 5760; ++i) {
    if (!used[i]) {
      EXPECT_EQ(block[i], '\0') << "byte " << i;
    }
  }
}

TEST(SettingsFile, NewWorkspaceListsFollowTheBlock) {
  const std::string file = EncodeWorkspaceFile(NewWorkspaceSettings("My Site"), 1);
  size_t expected = 5760 + 4;
  for (const ResourceMask& m : DefaultResourceMasks()) expected += 8 + m.mask.size() + 1;
  expected += 1 + 4 + (3 * 4 + 1 + 3 * 4 + 1 + 1) + 4;
  ASSERT_EQ(file.size(), expected);

  struct Mask {
    const char* mask;
    uint32_t request_class;
    uint32_t group;
  } const masks[] = {
      {"/default.ida", 0x000, 0}, {"*/root.exe", 0x000, 0},   {"*/cmd.exe", 0x000, 0},
      {"*.asp", 0x101, 1},        {"*.aspx", 0x101, 1},       {"*.htm", 0x101, 1},
      {"*.html", 0x101, 1},       {"*.shtm", 0x101, 1},       {"*.shtml", 0x101, 1},
      {"*.php", 0x101, 1},        {"*.cgi", 0x101, 1},        {"*.zip", 0x102, 2},
      {"*.exe", 0x102, 2},        {"/favicon.ico", 0x203, 3}, {"*", 0x200, 4},
  };
  size_t pos = 5760;
  EXPECT_EQ(U32At(file, pos), 15u);
  pos += 4;
  for (const Mask& m : masks) {
    EXPECT_EQ(U32At(file, pos), m.request_class) << m.mask;
    EXPECT_EQ(U32At(file, pos + 4), m.group) << m.mask;
    EXPECT_EQ(TextAt(file, pos + 8), m.mask);
    pos += 8 + std::strlen(m.mask) + 1;
  }
  EXPECT_EQ(file[pos], '\0');           // no last import folder
  EXPECT_EQ(U32At(file, pos + 1), 0u);  // no log filters
  pos += 5;
  const uint32_t bar_head[] = {0, 1, 13};
  for (uint32_t v : bar_head) {
    EXPECT_EQ(U32At(file, pos), v);
    pos += 4;
  }
  EXPECT_EQ(file[pos++], '\0');
  const uint32_t bar_tail[] = {2, 0, 0};
  for (uint32_t v : bar_tail) {
    EXPECT_EQ(U32At(file, pos), v);
    pos += 4;
  }
  EXPECT_EQ(file.substr(pos, 2), std::string(2, '\0'));
  EXPECT_EQ(U32At(file, pos + 2), 0u);  // no report filters
}

TEST(SettingsFile, ReadsBackWhatItWrote) {
  for (const WorkspaceSettings& s : {NewWorkspaceSettings("My Site"), FullSettings()}) {
    const std::string file = EncodeWorkspaceFile(s, 7);
    Result<WorkspaceSettings> back = DecodeWorkspaceFile(Bytes(file));
    ASSERT_TRUE(back.ok()) << back.error().message;
    EXPECT_EQ(back.value(), s);
  }
}

TEST(SettingsFile, SelectionThatNamesNoSavedFilterIsStoredEmpty) {
  WorkspaceSettings s = FullSettings();
  s.filter_bar.selected_filter = "Gone";
  Result<WorkspaceSettings> back = DecodeWorkspaceFile(Bytes(EncodeWorkspaceFile(s, 1)));
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back->filter_bar.selected_filter, "");
}

TEST(SettingsFile, PasswordsAreScrambledWithTheTwoRegisters) {
  const WorkspaceSettings s = FullSettings();
  const std::string file = EncodeWorkspaceFile(s, 3);
  const std::string header = file.substr(0, 10);
  uint32_t a = CrcUpdate(0xFFFFFFFFu, header);
  a = CrcUpdate(a, s.block.workspace_name);
  a = CrcUpdate(a, s.block.server_names);
  uint32_t b = CrcUpdate(a, s.block.http_user);
  a = CrcUpdate(a, s.block.ftp_login);

  const std::string plain = Unscrambled(file);
  for (size_t k = 1; k <= 65; ++k) {
    const size_t http = 2620 + 4 * (k - 1);
    const size_t ftp = 2880 + 4 * (k - 1);
    ASSERT_EQ(U32At(file, http), U32At(plain, http) ^ b) << "word " << k;
    ASSERT_EQ(U32At(file, ftp), U32At(plain, ftp) ^ a) << "word " << k;
    b = CrcStep(b, static_cast<uint8_t>(66 - k));
    a = CrcStep(a, static_cast<uint8_t>(66 - k));
  }
  EXPECT_EQ(TextAt(plain, 2620), "h-secret");
  EXPECT_EQ(TextAt(plain, 2880), "f-secret");
  EXPECT_EQ(file.find("h-secret"), std::string::npos);
  EXPECT_EQ(file.find("f-secret"), std::string::npos);
}

TEST(SettingsFile, PasswordFillerIsOddAndNeverZero) {
  WorkspaceSettings s = NewWorkspaceSettings("My Site");
  s.block.http_password = "pw";
  for (uint32_t seed : {0u, 1u, 12345u}) {
    const std::string plain = Unscrambled(EncodeWorkspaceFile(s, seed));
    for (size_t i = 2623; i < 2880; ++i) ASSERT_EQ(plain[i] & 1, 1) << i;  // after "pw" + NUL
    EXPECT_EQ(plain[2622], '\0');
    EXPECT_EQ(plain[2880], '\0');  // the empty FTP password
    for (size_t i = 2881; i < 3140; ++i) ASSERT_EQ(plain[i] & 1, 1) << i;
  }
}

TEST(SettingsFile, DamagedFilesAreRefused) {
  const std::string good = EncodeWorkspaceFile(FullSettings(), 1);
  auto with = [&](size_t offset, std::string_view bytes) {
    std::string f = good;
    f.replace(offset, bytes.size(), bytes);
    return f;
  };
  std::string no_nul_in_name = good;
  std::memset(no_nul_in_name.data() + 10, 'x', 260);
  std::string huge_conditions = good;
  // The last report filter ("Empty", no conditions) ends the file: its count is the last u32.
  StoreLE32(huge_conditions.data() + huge_conditions.size() - 4, 0x7FFFFFFF);
  WorkspaceSettings no_masks = NewWorkspaceSettings("My Site");
  no_masks.resource_masks.clear();
  std::string huge_log_filters = EncodeWorkspaceFile(no_masks, 1);
  // Block, zero masks, empty folder, then the log filter count: damage, not an allocation.
  StoreLE32(huge_log_filters.data() + 5760 + 4 + 1, 0xFFFFFFF0u);
  struct Case {
    const char* what;
    std::string file;
    std::string reason = "";  // checked when given
  } const cases[] = {
      {"5759 bytes", good.substr(0, 5759)},
      {"not STP", with(0, "XTP")},
      {"revision 1", with(3, std::string_view("\x03\x00\x10\x07", 4))},
      {"revision 2", with(3, std::string_view("\x04\x00\x05\x08", 4))},
      {"unknown stamp", with(5, "\x12")},
      {"name without NUL", no_nul_in_name},
      {"huge mask count", with(5760, "\xff\xff\xff\xff")},
      {"huge condition count", huge_conditions},
      {"huge log filter count", huge_log_filters, "log filter count"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Result<WorkspaceSettings> r = DecodeWorkspaceFile(Bytes(c.file));
    ASSERT_FALSE(r.ok());
    if (!c.reason.empty()) {
      EXPECT_EQ(r.error().message, c.reason);
    }
  }
}

TEST(SettingsFile, EveryTruncationOfTheListsIsRefused) {
  const std::string good = EncodeWorkspaceFile(FullSettings(), 1);
  for (size_t size = 5760; size < good.size(); ++size) {
    ASSERT_FALSE(DecodeWorkspaceFile(Bytes(good.substr(0, size))).ok()) << size;
  }
}

}  // namespace
}  // namespace velmora
