// Whole log files built to hurt the parse run: noise, zeros, broken archives, endless line
// breaks, absurd headers, lines, numbers and dates. Each is read to its end (or skipped) by a
// real `velmora parse` under a time limit, without a crash and within a bounded memory.
#include <sys/resource.h>

#include <filesystem>
#include <functional>
#include <random>

#include "tests/cli_fixture.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRunLimitSeconds = "120";
constexpr long kMaxResidentKb = 1024 * 1024;  // ASan builds included

std::string Noise(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

std::string CombinedLine(const std::string& date, const std::string& url,
                         const std::string& status = "200", const std::string& bytes = "512") {
  return "10.0.0.1 - - [" + date + " +0000] \"GET " + url + " HTTP/1.1\" " + status + " " + bytes +
         " \"-\" \"Mozilla/5.0\"\n";
}

// Sound lines around the hostile ones, enough of them for the format to be detected from the
// first lines of the file (which tolerates one failing line in eight).
constexpr int kSoundLines = 100;
std::string SoundLines() {
  std::string text;
  for (int i = 0; i < kSoundLines; ++i) {
    text += CombinedLine("10/Oct/2020:13:" + std::to_string(10 + i / 2) + ":00",
                         "/page" + std::to_string(i));
  }
  return text;
}

std::string WideW3c(int columns, int lines) {
  std::string text = "#Version: 1.0\n#Date: 2020-10-10 00:00:00\n#Fields: date time c-ip";
  for (int i = 3; i < columns; ++i) text += i % 2 ? " x-col" + std::to_string(i) : " cs-uri-stem";
  text += "\n";
  for (int l = 0; l < lines; ++l) {
    text += "2020-10-10 00:00:0" + std::to_string(l) + " 10.0.0." + std::to_string(l + 1);
    for (int i = 3; i < columns; ++i) text += " /v" + std::to_string(i);
    text += "\n";
  }
  return text;
}

struct HostileFile {
  friend void PrintTo(const HostileFile& file, std::ostream* out) { *out << file.name; }

  const char* name;
  const char* file_name;
  std::function<std::string(const std::string& scratch)> make;
  long long least_lines;  // the lines the run must at least have processed
};

class HostileFilesTest : public CliTest {
 protected:
  testing::CommandResult ParseWithinLimit(const std::string& ws) {
    return testing::RunProgram("/usr/bin/timeout",
                               {"--signal=KILL", kRunLimitSeconds, VELMORA_BIN, "-w", ws, "parse"},
                               {"HOME=" + home_.str(), "XDG_CONFIG_HOME=" + home_ / "config"});
  }
  // A generated log compressed as `compress`, its bytes.
  std::string Generated(const std::string& scratch, const std::string& compress) {
    const std::string path = scratch + "/generated";
    GenerateLog(path, 20000, 4, "combined", compress);
    return ReadFile(path);
  }
};

class HostileFileParseTest : public HostileFilesTest,
                             public ::testing::WithParamInterface<HostileFile> {};

TEST_P(HostileFileParseTest, ParsesToTheEndWithinTimeAndMemory) {
  const HostileFile& file = GetParam();
  const std::string ws = NewWorkspace();
  std::ofstream(ws + "logs/" + file.file_name, std::ios::binary) << file.make(home_.str());
  const auto r = ParseWithinLimit(ws);
  // 1 is a run that says why nothing of the file could be read (an archive damaged from its start).
  ASSERT_TRUE(r.status == 0 ||
              (r.status == 1 && r.err.find("no new file could be read") != std::string::npos))
      << "killed by the time limit or crashed: " << r.status << "\n"
      << r.err;
  EXPECT_NE(r.out.find("Files in logs/: 1, new: 1"), std::string::npos) << r.out;
  const std::string log = ReadFile(ws + "parsing.log");
  EXPECT_NE(log.find("Process finished"), std::string::npos) << log;
  const size_t at = r.out.find("Lines processed: ");
  ASSERT_NE(at, std::string::npos) << r.out;
  EXPECT_GE(std::stoll(r.out.substr(at + 17)), file.least_lines) << r.out << log;

  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  EXPECT_LT(usage.ru_maxrss, kMaxResidentKb) << "kilobytes resident at most";
}

std::string HalfOf(const std::string& bytes) { return bytes.substr(0, bytes.size() / 2); }

const HostileFile kHostileFiles[] = {
    {"RandomBytes", "noise.log", [](const std::string&) { return Noise(1 << 20, 1); }, 0},
    {"AllZeros", "zeros.log", [](const std::string&) { return std::string(1 << 20, '\0'); }, 0},
    {"BzipHeaderThenNoise", "noise.log.bz2",
     [](const std::string&) { return "BZh91AY&SY" + Noise(100000, 2); }, 0},
    {"HundredThousandCarriageReturns", "crs.log",
     [](const std::string&) { return std::string(100000, '\r'); }, 0},
    {"HundredThousandCarriageReturnsAfterLines", "crs2.log",
     [](const std::string&) { return SoundLines() + std::string(100000, '\r') + SoundLines(); }, 5},
    {"W3cHeaderOfTwentyThousandColumns", "wide.log",
     [](const std::string&) { return WideW3c(20000, 5); }, 5},
    {"LinesOfHundredThousandCharacters", "long.log",
     [](const std::string&) {
       return SoundLines() + CombinedLine("10/Oct/2020:14:00:00", "/" + std::string(100000, 'a')) +
              std::string(100000, 'x') + "\n" + std::string(100000, '"') + "\n" + SoundLines();
     },
     2 * kSoundLines + 1},
    {"NumbersOfThirtyDigits", "numbers.log",
     [](const std::string&) {
       const std::string n30 = "123456789012345678901234567890";
       return SoundLines() + CombinedLine("10/Oct/2020:14:00:00", "/a", n30, n30) +
              CombinedLine("10/Oct/2020:14:00:01", "/b", "200", "-" + n30) +
              CombinedLine(n30 + "/Oct/" + n30 + ":14:00:02", "/c") +
              CombinedLine("10/Oct/2020:" + n30 + ":" + n30 + ":" + n30, "/d");
     },
     kSoundLines},
    {"ImpossibleDates", "dates.log",
     [](const std::string&) {
       std::string text = SoundLines();
       for (const char* date :
            {"31/Feb/2020:10:00:00", "00/Jan/2020:10:00:00", "32/Dec/2020:10:00:00",
             "10/Xyz/2020:10:00:00", "10/Oct/0000:10:00:00", "10/Oct/99999:10:00:00",
             "10/Oct/2020:25:61:61", "10/Oct/1600:00:00:00", "//:::"}) {
         text += CombinedLine(date, "/x");
       }
       return text;
     },
     kSoundLines},
    {"W3cNumbersAndDates", "w3c.log",
     [](const std::string&) {
       return std::string(
           "#Fields: date time c-ip cs-uri-stem sc-status sc-bytes time-taken\n"
           "2020-10-10 10:00:00 10.0.0.1 /a 200 100 5\n"
           "2020-13-45 99:99:99 10.0.0.1 /b 200 100 5\n"
           "0000-00-00 00:00:00 10.0.0.1 /c 999999999999999999999999999999 "
           "123456789012345678901234567890 123456789012345678901234567890\n"
           "9999-12-31 23:59:59 10.0.0.1 /d -1 -123456789012345678901234567890 -5\n");
     },
     1},
};

INSTANTIATE_TEST_SUITE_P(Files, HostileFileParseTest, ::testing::ValuesIn(kHostileFiles),
                         [](const auto& info) { return std::string(info.param.name); });

// Broken archives need a real log inside them first.
TEST_F(HostileFilesTest, HalfAGzipStreamGivesItsFirstHalf) {
  const std::string ws = NewWorkspace();
  std::ofstream(ws + "logs/half.log.gz", std::ios::binary)
      << HalfOf(Generated(home_.str(), "gzip"));
  std::ofstream(ws + "logs/half.log.bz2", std::ios::binary)
      << HalfOf(Generated(home_.str(), "bzip2"));
  const auto r = ParseWithinLimit(ws);
  ASSERT_EQ(r.status, 0) << r.err;
  const size_t at = r.out.find("Lines processed: ");
  ASSERT_NE(at, std::string::npos) << r.out;
  // Most of each half decodes; nothing past the cut is invented.
  const long long lines = std::stoll(r.out.substr(at + 17));
  EXPECT_GT(lines, 2 * 5000);
  EXPECT_LT(lines, 2 * 20000);
}

}  // namespace
}  // namespace velmora
