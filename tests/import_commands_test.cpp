// Importing log files from the command line: a folder of mixed plain, gzip and bzip2 logs stored
// as configured and parsed, nothing new the second time, renaming by the first entry, a source
// too short to be a log, and a killed import leaving no partial file.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/cli_fixture.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

using ImportCommandsTest = CliTest;

TEST_F(ImportCommandsTest, AMixedFolderIsStoredParsedAndThenHasNothingNew) {
  const std::string folder = NewWorkspace();
  const std::string src = home_ / "src";
  fs::create_directories(src);
  GenerateLog(src + "/access.log", 1000, 1);
  GenerateLog(src + "/access-2.log.gz", 1000, 2, "combined", "gzip");
  GenerateLog(src + "/Other.log", 1000, 3, "combined", "bzip2");  // bzip2 inside, .log outside
  std::ofstream(src + "/notes.txt") << "not a log";

  const auto first = Velmora({"-w", folder, "import", "--from", src, "--all", "--parse"});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.out.find("Imported 3 of 3 log file(s)"), std::string::npos) << first.out;
  EXPECT_NE(first.out.find("Lines processed: 3000, errors: 0"), std::string::npos) << first.out;
  EXPECT_EQ(Files(folder + "logs"),
            (std::vector<std::string>{"access-2.log.gz", "access.log.gz", "other.log.gz"}));
  const auto unzipped = testing::RunProgram("/bin/zcat", {folder + "logs/other.log.gz"});
  EXPECT_EQ(unzipped.status, 0);
  EXPECT_EQ(Lines(unzipped.out).size(), 1000u);
  EXPECT_TRUE(fs::exists(src + "/access.log"));  // sources stay unless asked

  const auto second = Velmora({"-w", folder, "import", "--from", src, "--all"});
  EXPECT_EQ(second.status, 0);
  EXPECT_NE(second.out.find("No new log files in this folder"), std::string::npos) << second.out;
  // The folder is remembered for next time.
  EXPECT_NE(Velmora({"-w", folder, "import", "--all"}).out.find("No new log files"),
            std::string::npos);

  EXPECT_NE(Velmora({"-w", folder, "retrieve", "--all"}).out.find("No new log files"),
            std::string::npos);
  ASSERT_EQ(Velmora({"-w", folder, "settings", "set", "retrieve-method", "fetchlet"}).status, 0);
  const auto fetchlet = Velmora({"-w", folder, "retrieve", "--all"});
  EXPECT_EQ(fetchlet.status, 1);
  EXPECT_NE(fetchlet.err.find("settings set http-server"), std::string::npos) << fetchlet.err;
  const auto none = Velmora({"-w", folder, "import", "--from", src});
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(Velmora({"-w", folder, "import", "--from", src, "nope.log"}).status, 2);
}

TEST_F(ImportCommandsTest, RenamesByFirstEntryAndNeverRemovesWhatWasNotStored) {
  const std::string folder = NewWorkspace();
  const std::string src = home_ / "src";
  fs::create_directories(src);
  std::ofstream(src + "/ex021205.log")
      << "#Software: x\n#Fields: date time c-ip cs-method cs-uri-stem sc-status\n"
         "2002-12-05 09:37:12 10.0.0.1 GET /a.html 200\n";
  std::ofstream(src + "/tiny.log") << "12345";
  const auto r = Velmora({"-w", folder, "import", "--from", src, "--all", "--rename",
                          "--remove-source", "--no-parse"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Files(folder + "logs"), (std::vector<std::string>{"20021205-0937.log.gz"}));
  EXPECT_NE(r.out.find("tiny.log: skipped, it holds fewer than 10 bytes"), std::string::npos)
      << r.out;
  EXPECT_TRUE(fs::exists(src + "/tiny.log"));
  EXPECT_FALSE(fs::exists(src + "/ex021205.log"));
}

TEST_F(ImportCommandsTest, AKilledImportLeavesNoPartialFile) {
  const std::string folder = NewWorkspace();
  ASSERT_EQ(Velmora({"-w", folder, "settings", "set", "local-compression", "0"}).status, 0);
  const std::string src = home_ / "src";
  fs::create_directories(src);
  GenerateLog(src + "/access.log", 150000, 4);  // bzip2 takes its time over this
  auto import = StartVelmora({"-w", folder, "import", "--from", src, "--all"});
  const auto start = std::chrono::steady_clock::now();
  while (!(fs::exists(folder + "logs/.incoming") && !Files(folder + "logs/.incoming").empty()) &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_TRUE(import->Running()) << "the import ended before it could be killed";
  kill(import->pid(), SIGKILL);
  import->Wait();
  EXPECT_TRUE(Files(folder + "logs").empty()) << "no half-written log where parse runs read";

  const auto again = Velmora({"-w", folder, "import", "--from", src, "--all", "--parse"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("Lines processed: 150000, errors: 0"), std::string::npos) << again.out;
  EXPECT_EQ(Files(folder + "logs"), (std::vector<std::string>{"access.log.bz2"}));
  const auto unpacked = testing::RunProgram("/bin/bzcat", {folder + "logs/access.log.bz2"});
  EXPECT_EQ(unpacked.status, 0);
  EXPECT_EQ(Lines(unpacked.out).size(), 150000u);
}

}  // namespace
}  // namespace velmora
