// Log files that cannot be read: each is named with its reason, none is marked parsed when
// nothing of it was read, and a run in which every new file failed exits 1.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "tests/cli_fixture.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLine =
    "10.0.0.1 - - [10/Oct/2024:13:55:36 +0000] \"GET / HTTP/1.1\" 200 2326 \"-\" \"A/1\"\n";

TEST_F(CliTest, UnreadableLogsAreEachNamedWithTheirReason) {
  struct Case {
    const char* kind;
    const char* file;
    std::function<void(const std::string& path, const std::string& scratch)> make;
    int status;
    const char* reason;  // "" when the file reads
    long long hits;
  } cases[] = {
      {"dangling symlink", "gone.log",
       [](const std::string& p, const std::string& s) { fs::create_symlink(s + "/nowhere", p); }, 1,
       "gone.log: cannot open: No such file or directory", 0},
      {"FIFO", "pipe.log",
       [](const std::string& p, const std::string&) { mkfifo(p.c_str(), 0644); }, 1,
       "pipe.log: is a FIFO", 0},
      {"text named .gz", "text.log.gz",
       [](const std::string& p, const std::string&) { std::ofstream(p) << kLine << kLine; }, 0, "",
       2},
      {"truncated gzip", "cut.log.gz",
       [](const std::string& p, const std::string& s) {
         std::ofstream(s + "/whole.log") << kLine;
         ASSERT_EQ(std::system(("gzip -c " + s + "/whole.log | head -c 30 > " + p).c_str()), 0);
       },
       1, "cut.log.gz: archive truncated at byte 30", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    const std::string ws = NewWorkspace(std::string("w") + std::to_string(&c - cases));
    c.make(ws + "logs/" + c.file, home_.str());
    const auto r = Velmora({"-w", ws, "parse"});
    EXPECT_EQ(r.status, c.status) << r.err;
    if (*c.reason != '\0') {
      EXPECT_NE(r.err.find(std::string("velmora: ") + c.reason), std::string::npos) << r.err;
      EXPECT_NE(ReadFile(ws + "parsing.log").find(std::string("ERROR: ") + c.reason),
                std::string::npos);
      EXPECT_NE(r.err.find("no new file could be read"), std::string::npos) << r.err;
      EXPECT_EQ(Velmora({"-w", ws, "dump", "ParsedLogs"}).out, "") << "not marked parsed";
    }
    EXPECT_EQ(HourlyHits(ws), c.hits);
  }
}

}  // namespace
}  // namespace velmora
