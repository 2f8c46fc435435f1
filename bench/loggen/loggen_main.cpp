// velmora-loggen: writes a deterministic, realistic web-server access log for demos, end-to-end
// tests and parse benchmarks. The same options and seed always give the same bytes.
// Exit status: 0 success, 1 the output could not be written, 2 a usage error.
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "bench/loggen/log_writers.h"
#include "bench/loggen/output_sink.h"
#include "bench/loggen/traffic_model.h"

namespace velmora::loggen {
namespace {

constexpr std::string_view kUsage = R"(Usage: velmora-loggen --format FORMAT --lines N [options]

Writes N lines of web-server access log: visitors from many networks in sessions
of pages with their pictures, style sheets and scripts, spiders, feed readers
and worm probes, search-engine and other referrers, thousands of user agents.
The output depends only on the options: the same seed gives the same bytes.

Options:
  --format F        combined | common | w3c | iis | tsv (required)
  --lines N         number of requests to write (required)
  --seed S          seed of the traffic, a whole number (default 1)
  --start DATE      first day, yyyy-mm-dd (default 2026-11-01); times are GMT
  --days D          days the requests spread over (default 7)
  --visitors N      size of the visitor population (default lines / 30)
  --compress C      none | gzip | bzip2 (default: by the output name's ending,
                    .gz or .bz2, else none)
  -o, --output F    output file, "-" for standard output (default -)
  -h, --help        this text

Formats (an empty field is written "-"):
  combined  host ident user [dd/Mon/yyyy:HH:MM:SS +0000] "METHOD /url HTTP/1.1"
            status bytes "referrer" "user agent"
  common    the same without referrer and user agent
  w3c       W3C Extended as IIS writes it; a #Software, #Version, #Date and #Fields
            block opens each day; fields: date time c-ip cs-username s-ip s-port
            cs-method cs-uri-stem cs-uri-query sc-status sc-bytes cs-bytes
            time-taken cs(User-Agent) cs(Referer)
  iis       IIS native, comma-separated: client-ip, user, M/D/YYYY, HH:MM:SS,
            W3SVC1, WEB01, server-ip, time-taken, bytes-received, bytes-sent,
            status, win32-status, method, target, parameters,
  tsv       tab-separated, 13 columns: MM/DD/YY HH:MM:SS, client ip, server ip,
            site, user, method, url (with ?query), referrer, host, user agent,
            status, bytes, time taken (ms)

Examples:
  velmora-loggen --format combined --lines 100000 -o access.log
  velmora-loggen --format w3c --lines 1000000 --days 30 --seed 7 -o ex2611.log.gz
  velmora-loggen --format iis --lines 500 --start 2002-12-05 --days 1
  velmora-loggen --format combined --lines 10000000 --compress bzip2 -o big.log.bz2
)";

struct Options {
  LogLayout layout = LogLayout::kCombined;
  bool layout_given = false;
  uint64_t lines = 0;
  bool lines_given = false;
  uint64_t seed = 1;
  CalendarTime start = *ParseStartDate("2026-11-01");
  uint64_t days = 7;
  uint64_t visitors = 0;
  std::optional<Compression> compression;
  std::string output = "-";
  bool help = false;
};

bool ParseNumber(std::string_view text, uint64_t& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// Fills `options` from the command line; on a mistake returns its description.
std::string ParseArguments(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      options.help = true;
      return {};
    }
    std::string_view name = arg, value;
    bool has_value = false;
    if (const size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      has_value = true;
    }
    if (!has_value) {
      if (i + 1 >= argc) return "option " + std::string(name) + " needs a value";
      value = argv[++i];
    }
    const std::string bad =
        "invalid value for " + std::string(name) + ": '" + std::string(value) + "'";
    if (name == "--format") {
      const auto layout = ParseLogLayout(value);
      if (!layout) return bad;
      options.layout = *layout;
      options.layout_given = true;
    } else if (name == "--lines") {
      if (!ParseNumber(value, options.lines) || options.lines > 10'000'000'000ull) return bad;
      options.lines_given = true;
    } else if (name == "--seed") {
      if (!ParseNumber(value, options.seed)) return bad;
    } else if (name == "--start") {
      const auto start = ParseStartDate(value);
      if (!start || start->year > 9000) return bad;
      options.start = *start;
    } else if (name == "--days") {
      if (!ParseNumber(value, options.days) || options.days < 1 || options.days > 36500) {
        return bad;
      }
    } else if (name == "--visitors") {
      if (!ParseNumber(value, options.visitors) || options.visitors < 1 ||
          options.visitors > 10'000'000) {
        return bad;
      }
    } else if (name == "--compress") {
      options.compression = ParseCompression(value);
      if (!options.compression) return bad;
    } else if (name == "-o" || name == "--output") {
      if (value.empty()) return bad;
      options.output = value;
    } else {
      return "unknown option " + std::string(name);
    }
  }
  if (!options.layout_given) return "--format is required";
  if (!options.lines_given) return "--lines is required";
  return {};
}

int Run(const Options& options) {
  const Compression compression = options.compression.value_or(CompressionForName(options.output));
  if (compression != Compression::kNone && options.output == "-" && isatty(STDOUT_FILENO)) {
    std::fputs("velmora-loggen: will not write compressed data to a terminal; use -o FILE\n",
               stderr);
    return 2;
  }
  auto sink = OpenOutput(options.output, compression);
  if (!sink.ok()) {
    std::fprintf(stderr, "velmora-loggen: %s\n", sink.error().message.c_str());
    return 1;
  }

  TrafficOptions traffic;
  traffic.lines = options.lines;
  traffic.seed = options.seed;
  traffic.span_seconds = static_cast<int64_t>(options.days) * 86400;
  traffic.visitors = static_cast<uint32_t>(options.visitors);
  TrafficModel model(traffic);
  LineWriter writer(options.layout, options.start);

  constexpr size_t kFlushAt = 1 << 20;
  std::string buffer;
  buffer.reserve(kFlushAt + 64 * 1024);
  Request request;
  Status status;
  while (status.ok() && model.Next(request)) {
    writer.Append(request, buffer);
    if (buffer.size() >= kFlushAt) {
      status = (*sink)->Write(buffer);
      buffer.clear();
    }
  }
  if (status.ok()) status = (*sink)->Write(buffer);
  if (status.ok()) status = (*sink)->Finish();
  if (!status.ok()) {
    std::fprintf(stderr, "velmora-loggen: %s\n", status.error().message.c_str());
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace velmora::loggen

int main(int argc, char** argv) {
  using namespace velmora::loggen;
  Options options;
  const std::string mistake = ParseArguments(argc, argv, options);
  if (options.help) {
    std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
    return 0;
  }
  if (!mistake.empty()) {
    std::fprintf(stderr, "velmora-loggen: %s\nTry 'velmora-loggen --help'.\n", mistake.c_str());
    return 2;
  }
  return Run(options);
}
