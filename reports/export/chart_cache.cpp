#include "reports/export/chart_cache.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace velmora {
namespace {

namespace fs = std::filesystem;

class Digest {
 public:
  void Bytes(const void* data, size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
      hash_ ^= p[i];
      hash_ *= 0x100000001B3ull;
    }
  }
  template <class T>
  void Value(const T& v) {
    Bytes(&v, sizeof v);
  }
  void Text(const std::string& s) {
    Value(s.size());
    Bytes(s.data(), s.size());
  }
  uint64_t value() const { return hash_; }

 private:
  uint64_t hash_ = 0xCBF29CE484222325ull;
};

}  // namespace

uint64_t ChartDigest(const ChartData& chart, int width) {
  Digest d;
  d.Value(width);
  d.Value(chart.kind);
  d.Text(chart.title);
  d.Value(chart.whole_numbers);
  d.Value(chart.items.size());
  for (const ChartItem& item : chart.items) {
    d.Text(item.label);
    d.Value(item.value);
    d.Value(item.colour.red);
    d.Value(item.colour.green);
    d.Value(item.colour.blue);
    d.Value(item.x);
  }
  return d.value();
}

ChartWriter CachingChartWriter(std::string cache_folder, ChartWriter draw) {
  return [folder = std::move(cache_folder), draw = std::move(draw)](
             const ChartData& chart, const std::string& path, int width) {
    char name[40];
    std::snprintf(name, sizeof name, "chart-%016llx.png",
                  static_cast<unsigned long long>(ChartDigest(chart, width)));
    const std::string cached = folder + "/" + name;
    std::error_code ec;
    if (!fs::exists(cached, ec)) {
      fs::create_directories(folder, ec);
      // Drawn under a name of its own first, so that a picture cut short is never taken.
      const std::string partial =
          cached + ".partial" + std::to_string(reinterpret_cast<uintptr_t>(&chart));
      if (!draw(chart, partial, width)) {
        fs::remove(partial, ec);
        return draw(chart, path, width);
      }
      fs::rename(partial, cached, ec);
      if (ec) {
        fs::remove(partial, ec);
        return draw(chart, path, width);
      }
    }
    fs::copy_file(cached, path, fs::copy_options::overwrite_existing, ec);
    return !ec || draw(chart, path, width);
  };
}

}  // namespace velmora
