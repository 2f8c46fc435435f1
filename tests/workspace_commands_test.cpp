// Creating a workspace and working on its settings and database from the command line.
#include <filesystem>

#include "tests/cli_fixture.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

TEST_F(CliTest, NewMakesFolderLogsDatabaseAndSettingsFile) {
  const std::string folder = NewWorkspace("my site");
  EXPECT_TRUE(fs::is_directory(folder + "logs"));
  size_t tables = 0;
  for (const auto& entry : fs::directory_iterator(folder + "database")) {
    ++tables;
    EXPECT_EQ(entry.file_size(), 65536u) << entry.path();
  }
  EXPECT_EQ(tables, 57u);
  const std::string stw = ReadFile(folder + "my site.stw");
  ASSERT_GE(stw.size(), 5760u);
  EXPECT_EQ(stw.substr(0, 3), "STP");
  EXPECT_EQ(stw.substr(10, 8), std::string("my site\0", 8));

  const auto recent = Velmora({"recent"});
  EXPECT_NE(recent.out.find(folder + "my site.stw"), std::string::npos) << recent.out;
}

TEST_F(CliTest, NewRefusesBadNamesAndAsksBeforeOverwriting) {
  const auto bad = Velmora({"--yes", "new", "a:b", "--path", home_ / "ws"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("The workspace name is invalid"), std::string::npos) << bad.err;

  // A fresh place is created without a question, also without a terminal.
  const auto fresh = Velmora({"new", "site", "--path", home_ / "ws"});
  EXPECT_EQ(fresh.status, 0) << fresh.err;
  EXPECT_EQ(fresh.err, "");
  const std::string stw = ReadFile(home_ / "ws/site/site.stw");

  // Over files that are there, without a terminal and without --yes, the answer is No.
  const auto declined = Velmora({"new", "site", "--path", home_ / "ws"});
  EXPECT_EQ(declined.status, 1);
  EXPECT_NE(declined.err.find("This action will overwrite some files in the\n"), std::string::npos);
  EXPECT_NE(declined.err.find("--yes"), std::string::npos) << declined.err;
  EXPECT_EQ(ReadFile(home_ / "ws/site/site.stw"), stw);
}

TEST_F(CliTest, SettingsAreSetByNumberOrNameAndRefusalsListWhatIsAccepted) {
  const std::string folder = NewWorkspace();
  struct Case {
    std::string key, value;
    int status;
    std::string after;      // value read back
    std::string said = "";  // what a refusal says besides the key
  };
  const std::vector<Case> cases = {
      {"session-timeout", "20", 0, "20"},
      {"session-timeout", "0", 1, "20", "from 1 to 2147483647"},
      {"server-time-zone", "73", 0, "73"},
      {"server-time-zone", "74", 1, "73", "61  (GMT+09:00) Osaka, Sapporo, Tokyo"},
      {"export-limit", "-1", 1, "100"},
      {"server-names", "www.example.com", 0, "www.example.com"},
      {"default-file", std::string(300, 'x'), 1, "index.htm"},
      {"log-format-mode", "custom", 0, "2"},
      {"retrieve-method", "local", 0, "2"},
      {"retrieve-method", "scp", 1, "2", "fetchlet (0), ftp (1) or local (2)"},
      {"local-compression", "bzip2", 0, "0"},
      {"enable-filters", "on", 0, "1"},
      {"server-time-zone", "UTC+01:00", 0, "26"},
      {"your-time-zone", "Tokyo", 0, "61"},
  };
  for (const Case& c : cases) {
    const auto set = Velmora({"-w", folder, "settings", "set", c.key, c.value});
    EXPECT_EQ(set.status, c.status) << c.key << "=" << c.value << ": " << set.err;
    if (c.status != 0) {
      EXPECT_NE(set.err.find(c.key), std::string::npos) << set.err;
      EXPECT_NE(set.err.find(c.said), std::string::npos) << set.err;
    }
    const auto get = Velmora({"-w", folder, "settings", "get", c.key});
    EXPECT_EQ(get.out, c.after + "\n") << c.key;
  }
  EXPECT_EQ(Velmora({"-w", folder, "settings", "get", "no-such-key"}).status, 2);
  const auto bad = Velmora({"new", "other", "--path", home_ / "ws", "--log-format", "apache"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("w3c (0), auto (1) or custom (2)"), std::string::npos) << bad.err;
  EXPECT_NE(Velmora({"settings", "keys"}).out.find("bzip2 (0), gzip (1) or none (2)"),
            std::string::npos);
}

TEST_F(CliTest, SettingsExportImportCarriesEverything) {
  const std::string a = NewWorkspace("a");
  const std::string b = NewWorkspace("b");
  ASSERT_EQ(Velmora({"-w", a, "settings", "set", "session-timeout", "45"}).status, 0);
  const std::string exported = home_ / "a.json";
  ASSERT_EQ(Velmora({"-w", a, "settings", "export", exported}).status, 0);
  ASSERT_EQ(Velmora({"-w", b, "settings", "import", exported}).status, 0);
  EXPECT_EQ(Velmora({"-w", b, "settings", "get", "session-timeout"}).out, "45\n");
  EXPECT_EQ(Velmora({"-w", b, "settings", "get", "workspace-name"}).out, "b\n");

  // A document with one bad value changes nothing.
  std::ofstream(home_ / "bad.json") << R"({"session-timeout": 5, "your-time-zone": 99})";
  const auto bad = Velmora({"-w", b, "settings", "import", home_ / "bad.json"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(Velmora({"-w", b, "settings", "get", "session-timeout"}).out, "45\n");
}

TEST_F(CliTest, DamagedSettingsFileIsRefusedAndKept) {
  const std::string folder = NewWorkspace();
  const std::string stw = folder + "site.stw";
  const std::string original = ReadFile(stw);
  const std::vector<std::pair<const char*, std::string>> damages = {
      {"one byte short", original.substr(0, 5759)},
      {"wrong header", "XXXX" + original.substr(4)},
      {"empty", ""},
  };
  for (const auto& [damage, bytes] : damages) {
    SCOPED_TRACE(damage);
    std::ofstream(stw, std::ios::binary | std::ios::trunc) << bytes;
    for (const std::vector<std::string>& command : {std::vector<std::string>{"settings", "show"},
                                                    {"settings", "set", "session-timeout", "10"},
                                                    {"parse"},
                                                    {"dump", "Hourly"}}) {
      std::vector<std::string> args{"-w", stw};
      args.insert(args.end(), command.begin(), command.end());
      const auto r = Velmora(args);
      EXPECT_EQ(r.status, 1) << command[0];
      EXPECT_NE(r.err.find("The file 'site.stw'\nis not a valid Velmora workspace"),
                std::string::npos)
          << r.err;
    }
    EXPECT_EQ(ReadFile(stw), bytes);
  }
}

// Without -w the most recent workspace is used; a bare workspace path opens it, as a file
// manager would, and makes it the most recent.
TEST_F(CliTest, WithoutWorkspaceTheMostRecentIsUsedOrExplained) {
  const auto none = Velmora({"settings", "show"});
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("No Workspace Loaded"), std::string::npos) << none.err;

  const std::string a = NewWorkspace("a");
  NewWorkspace("b");
  EXPECT_EQ(Velmora({"settings", "get", "workspace-name"}).out, "b\n");
  const auto r = Velmora({a + "a.stw"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("[a] - Velmora"), std::string::npos) << r.out;
  EXPECT_EQ(Velmora({"settings", "get", "workspace-name"}).out, "a\n");
  EXPECT_EQ(Velmora({home_ / "ws/missing.stw"}).status, 1);
}

}  // namespace
}  // namespace velmora
