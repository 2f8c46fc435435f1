#include "platform/ini_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

using ::testing::ElementsAre;
using testing::TempDir;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Texts that look like syntax, in every position a text can take.
const std::string_view kOddTexts[] = {
    "",
    "plain",
    "a=b=c",
    "=",
    "  leading and trailing  ",
    " ",
    "\t tab \t",
    "line\nbreak\r\nand CR\r",
    "back\\slash\\",
    "\\n is not a newline",
    "\\",
    "[not a section]",
    "[",
    "]",
    "; not a comment",
    "# nor this",
    "caf\xC3\xA9 \xFF\x80",
    std::string_view("nul\0byte", 8),
    "\\s\\t",
};

TEST(IniFileTest, AnyTextRoundTripsAsValueNameAndSection) {
  IniFile ini;
  int n = 0;
  for (std::string_view text : kOddTexts) {
    ini.Set("Values", "v" + std::to_string(n), text);
    ini.Set("Names", text, std::to_string(n));
    if (!text.empty()) ini.Set(text, "x", std::to_string(n));
    ++n;
  }
  const IniFile back = IniFile::Parse(ini.Serialize());
  n = 0;
  for (std::string_view text : kOddTexts) {
    const std::string id = std::to_string(n);
    EXPECT_EQ(back.Get("Values", "v" + id), std::string(text)) << "value " << id;
    EXPECT_EQ(back.Get("Names", text), id) << "name " << id;
    if (!text.empty()) {
      EXPECT_EQ(back.Get(text, "x"), id) << "section " << id;
    }
    ++n;
  }
  EXPECT_EQ(back.Serialize(), ini.Serialize());
}

TEST(IniFileTest, LookupIgnoresCaseAndKeepsTheStoredSpelling) {
  IniFile ini;
  ini.Set("Recent Document List", "DocumentCount", "2");
  ini.Set("recent document list", "DOCUMENTCOUNT", "3");
  ini.Set("RECENT DOCUMENT LIST", "Document1", "/w/a.stw");
  EXPECT_EQ(ini.Get("recent DOCUMENT list", "documentcount"), "3");
  EXPECT_THAT(ini.Names("Recent Document List"), ElementsAre("DocumentCount", "Document1"));
  EXPECT_EQ(ini.Serialize(), "[Recent Document List]\nDocumentCount=3\nDocument1=/w/a.stw\n");
  EXPECT_EQ(ini.Get("Velmora", "DocumentCount"), std::nullopt);
  EXPECT_EQ(ini.Get("Recent Document List", "Document2"), std::nullopt);
}

TEST(IniFileTest, RemoveDropsValuesAndEmptiedSections) {
  IniFile ini;
  ini.Set("A", "x", "1");
  ini.Set("A", "y", "2");
  ini.Set("B", "z", "3");
  ini.Remove("a", "X");
  EXPECT_EQ(ini.Get("A", "x"), std::nullopt);
  EXPECT_EQ(ini.Get("A", "y"), "2");
  ini.Remove("A", "y");
  ini.Remove("missing", "y");
  EXPECT_EQ(ini.Serialize(), "[B]\nz=3\n");
  ini.RemoveSection("b");
  EXPECT_EQ(ini.Serialize(), "");
}

TEST(IniFileTest, ParseReadsHandEditedTextAndSkipsWhatItCannotRead) {
  const IniFile ini = IniFile::Parse(
      "top = level\r\n"
      "; comment\n"
      "# comment\n"
      "no separator here\n"
      "[Velmora]\r\n"
      "  Show tip at startup =  Yes \r\n"
      "Next tip=1\n"
      "next TIP=4\n"
      "[unterminated\n"
      "after=bad header\n"
      "[]\n"
      "back=in the unnamed section\n"
      "[Velmora]\n"
      "again=yes");
  EXPECT_EQ(ini.Get("", "top"), "level");
  EXPECT_EQ(ini.Get("", "back"), "in the unnamed section");
  EXPECT_EQ(ini.Get("Velmora", "show tip at startup"), "Yes");
  EXPECT_EQ(ini.Get("Velmora", "Next tip"), "4");
  EXPECT_EQ(ini.Get("Velmora", "after"), "bad header");
  EXPECT_EQ(ini.Get("Velmora", "again"), "yes");
  EXPECT_EQ(ini.Get("Velmora", "no separator here"), std::nullopt);
}

TEST(IniFileTest, HostileTextNeverBreaksParsing) {
  std::string junk;
  for (int i = 0; i < 20000; ++i) junk += static_cast<char>((i * 7919) % 256);
  junk += "\n[\\\n[]]]\n\\=\\\n=\n==\n[a\\]\nname\\";
  const IniFile ini = IniFile::Parse(junk);
  const std::string text = ini.Serialize();
  EXPECT_EQ(IniFile::Parse(text).Serialize(), text);

  // Many distinct names must parse in reasonable time.
  std::string many;
  for (int i = 0; i < 100000; ++i) many += "n" + std::to_string(i) + "=v\n";
  EXPECT_EQ(IniFile::Parse(many).Names("").size(), 100000u);
}

// A missing file loads empty; Save makes the folders, replaces the file without leaving
// temporaries, and fails where no file can be.
TEST(IniFileTest, SaveAndLoad) {
  TempDir dir;
  const std::string path = dir / "config/velmora/preferences.ini";
  Result<IniFile> missing = IniFile::Load(path);
  ASSERT_TRUE(missing.ok());
  EXPECT_EQ(missing->Serialize(), "");

  IniFile ini;
  ini.Set("Velmora", "Next tip", "2");
  ini.Set("Velmora", "Odd", " a=b\n[c] ");
  ASSERT_TRUE(ini.Save(path).ok());
  Result<IniFile> loaded = IniFile::Load(path);
  ASSERT_TRUE(loaded.ok());
  EXPECT_EQ(loaded->Get("velmora", "next tip"), "2");
  EXPECT_EQ(loaded->Get("Velmora", "Odd"), " a=b\n[c] ");

  ini.Set("Velmora", "Next tip", "3");
  ASSERT_TRUE(ini.Save(path).ok());
  EXPECT_EQ(ReadFile(path), ini.Serialize());
  int entries = 0;
  for ([[maybe_unused]] const auto& e :
       std::filesystem::directory_iterator(dir / "config/velmora")) {
    ++entries;
  }
  EXPECT_EQ(entries, 1);

  EXPECT_FALSE(IniFile::Load(dir.str()).ok());
  std::ofstream(dir / "file") << "x";
  const Status status = ini.Save(dir / "file/under/a/file.ini");
  ASSERT_FALSE(status.ok());
  EXPECT_NE(status.error().code, 0);
}

}  // namespace
}  // namespace velmora
