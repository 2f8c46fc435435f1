// Reading a large log through LogReader::GetChar, against `cat`, `zcat` and `bzcat` of the same
// file in the same run. Makes a log-like plain file of the size asked for, its gzip and bzip2
// images (with zlib and libbzip2), reads each once to warm the page cache, then times every
// reader and its command a few times and reports the best of each with their ratio.
//
//   reader_bench [--size-mb N] [--dir DIR] [--rounds N] [--keep]
#include <bzlib.h>
#include <sys/resource.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "parsing/readers/log_reader.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Args {
  uint64_t size_mb = 1024;
  std::string dir = "/tmp";
  int rounds = 3;
  bool keep = false;
};

uint32_t Next(uint32_t& seed) {
  seed = seed * 1664525u + 1013904223u;
  return seed >> 8;
}

// Combined-format lines with varying addresses, times, pages, sizes and agents.
void WritePlain(const std::string& path, uint64_t bytes) {
  static const char* kAgents[] = {
      "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)",
      "Mozilla/5.0 (X11; Linux x86_64; rv:109.0) Gecko/20100101 Firefox/115.0",
      "Googlebot/2.1 (+http://www.google.com/bot.html)",
      "Opera/9.80 (Windows NT 6.1; U; en) Presto/2.10.229 Version/11.62",
  };
  static const char* kPages[] = {"/",
                                 "/index.html",
                                 "/docs/manual.html",
                                 "/img/logo.gif",
                                 "/download/tool-1.2.zip",
                                 "/search?q=log+analysis"};
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) std::exit(1);
  uint32_t seed = 7;
  uint64_t written = 0;
  char line[512];
  while (written < bytes) {
    int n = std::snprintf(
        line, sizeof line,
        "10.%u.%u.%u - - [05/Dec/2002:%02u:%02u:%02u +0000] \"GET %s HTTP/1.1\" %u %u "
        "\"http://example%u.com/\" \"%s\"\n",
        Next(seed) % 256, Next(seed) % 256, Next(seed) % 256, Next(seed) % 24, Next(seed) % 60,
        Next(seed) % 60, kPages[Next(seed) % 6], Next(seed) % 8 == 0 ? 404u : 200u,
        Next(seed) % 100000, Next(seed) % 50, kAgents[Next(seed) % 4]);
    std::fwrite(line, 1, static_cast<size_t>(n), out);
    written += static_cast<uint64_t>(n);
  }
  std::fclose(out);
}

void WriteGzip(const std::string& from, const std::string& to) {
  gzFile out = gzopen(to.c_str(), "wb6");
  std::ifstream in(from, std::ios::binary);
  std::vector<char> block(1 << 20);
  while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
    gzwrite(out, block.data(), static_cast<unsigned>(in.gcount()));
  }
  gzclose(out);
}

void WriteBzip2(const std::string& from, const std::string& to) {
  std::FILE* file = std::fopen(to.c_str(), "wb");
  int error = 0;
  BZFILE* out = BZ2_bzWriteOpen(&error, file, 9, 0, 0);
  std::ifstream in(from, std::ios::binary);
  std::vector<char> block(1 << 20);
  while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
    BZ2_bzWrite(&error, out, block.data(), static_cast<int>(in.gcount()));
  }
  BZ2_bzWriteClose(&error, out, 0, nullptr, nullptr);
  std::fclose(file);
}

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// CPU seconds (user + system) of this process or of its waited-for children: on a shared machine
// the wall clock also counts the time others had the processor.
double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Timing {
  double wall = 1e30;
  double cpu = 1e30;
  void Keep(double w, double c) {
    wall = std::min(wall, w);
    cpu = std::min(cpu, c);
  }
};

// The consumer: every byte through GetChar, summed so that none can be skipped.
[[gnu::noinline]] uint64_t SumAll(velmora::LogReader& reader, uint64_t& count) {
  uint64_t n = 0;
  uint64_t sum = 0;
  for (int c = reader.GetChar(); c != -1; c = reader.GetChar()) {
    sum += static_cast<unsigned>(c);
    ++n;
  }
  count = n;
  return sum;
}

// Reads the file through GetChar, filling the count of bytes and their sum.
void TimeGetChar(const std::string& path, uint64_t& bytes, uint64_t& checksum, Timing& timing) {
  const double cpu = CpuSeconds(RUSAGE_SELF);
  const auto start = Clock::now();
  std::unique_ptr<velmora::LogReader> reader = velmora::OpenLogReader(path);
  checksum = SumAll(*reader, bytes);
  timing.Keep(Seconds(start), CpuSeconds(RUSAGE_SELF) - cpu);
}

void TimeCommand(const std::string& command, Timing& timing) {
  const double cpu = CpuSeconds(RUSAGE_CHILDREN);
  const auto start = Clock::now();
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
  timing.Keep(Seconds(start), CpuSeconds(RUSAGE_CHILDREN) - cpu);
}

}  // namespace

int main(int argc, char** argv) {
  Args args;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--size-mb" && i + 1 < argc)
      args.size_mb = std::strtoull(argv[++i], nullptr, 10);
    else if (a == "--dir" && i + 1 < argc)
      args.dir = argv[++i];
    else if (a == "--rounds" && i + 1 < argc)
      args.rounds = std::atoi(argv[++i]);
    else if (a == "--keep")
      args.keep = true;
    else {
      std::fprintf(stderr, "usage: reader_bench [--size-mb N] [--dir DIR] [--rounds N] [--keep]\n");
      return 2;
    }
  }
  const std::string base = args.dir + "/velmora-reader-bench-" + std::to_string(args.size_mb);
  const std::string plain = base + ".log", gz = base + ".log.gz", bz = base + ".log.bz2";
  namespace fs = std::filesystem;
  if (!fs::exists(plain)) {
    std::fprintf(stderr, "writing %s (%llu MB)...\n", plain.c_str(),
                 static_cast<unsigned long long>(args.size_mb));
    WritePlain(plain, args.size_mb << 20);
  }
  if (!fs::exists(gz)) {
    std::fprintf(stderr, "compressing %s...\n", gz.c_str());
    WriteGzip(plain, gz);
  }
  if (!fs::exists(bz)) {
    std::fprintf(stderr, "compressing %s...\n", bz.c_str());
    WriteBzip2(plain, bz);
  }

  struct Case {
    const char* name;
    std::string path;
    std::string command;
  } cases[] = {
      {"plain", plain, "cat '" + plain + "' > /dev/null"},
      {"gzip", gz, "zcat '" + gz + "' > /dev/null"},
      {"bzip2", bz, "bzcat '" + bz + "' > /dev/null"},
  };
  // Speeds in MB/s of decoded text; ratios are GetChar's speed over the command's (above 1: the
  // reader is faster), by the wall clock and by CPU time.
  std::printf("%-6s %10s | %9s %9s | %9s %9s | %9s %9s\n", "kind", "decoded MB", "GetChar", "cpu",
              "command", "cpu", "ratio", "cpu ratio");
  for (const Case& c : cases) {
    uint64_t bytes = 0, checksum = 0;
    Timing warm, reader, command;
    TimeCommand(c.command, warm);  // warm the page cache
    for (int round = 0; round < args.rounds; ++round) {
      TimeGetChar(c.path, bytes, checksum, reader);
      TimeCommand(c.command, command);
    }
    const double mb = static_cast<double>(bytes) / (1 << 20);
    std::printf("%-6s %10.1f | %9.1f %9.1f | %9.1f %9.1f | %9.3f %9.3f   (sum %llx)\n", c.name, mb,
                mb / reader.wall, mb / reader.cpu, mb / command.wall, mb / command.cpu,
                command.wall / reader.wall, command.cpu / reader.cpu,
                static_cast<unsigned long long>(checksum));
  }
  if (!args.keep) {
    fs::remove(plain);
    fs::remove(gz);
    fs::remove(bz);
  }
  return 0;
}
