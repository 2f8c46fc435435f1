// IP-to-country benchmarks: start-up (unpacking the embedded stream, then converting and sorting
// the records into the lookup table) and lookups per second by address and by host name.
#include <benchmark/benchmark.h>
#include <bzlib.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "analysis/countries/country_packed_table.h"
#include "analysis/countries/country_table.h"

namespace velmora {
namespace {

const CountryTable& Table() {
  const Result<CountryTable>& table = LoadSharedCountryTable();
  if (!table.ok()) std::abort();
  return *table;
}

// The whole start-up: area, unpack, convert, sort, start table, seal.
void BM_StartUp(benchmark::State& state) {
  for (auto _ : state) {
    Result<CountryTable> table = CountryTable::Create(PackedCountryTable());
    benchmark::DoNotOptimize(table.ok());
  }
  state.counters["records"] = static_cast<double>(Table().record_count());
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->Iterations(20);

// The bzip2 part of the start-up alone, into an ordinary buffer.
void BM_UnpackOnly(benchmark::State& state) {
  const std::span<const unsigned char> packed = PackedCountryTable();
  std::vector<char> input(packed.begin(), packed.end());
  std::vector<char> output(kCountryAreaSize);
  for (auto _ : state) {
    unsigned int size = static_cast<unsigned int>(output.size());
    BZ2_bzBuffToBuffDecompress(output.data(), &size, input.data(),
                               static_cast<unsigned int>(input.size()), 0, 0);
    benchmark::DoNotOptimize(size);
  }
}
BENCHMARK(BM_UnpackOnly)->Unit(benchmark::kMillisecond)->Iterations(20);

std::vector<uint32_t> Addresses(bool listed) {
  const CountryTable& table = Table();
  std::mt19937 random(11);
  std::vector<uint32_t> addresses(1 << 16);
  for (uint32_t& a : addresses) {
    a = random();
    // A listed network with random host bits: every probe is a hit, mostly at /20 to /24.
    if (listed) a = table.record(random() % table.record_count()).network | (random() & 0xFF);
  }
  return addresses;
}

void LookUp(benchmark::State& state, const std::vector<uint32_t>& addresses) {
  const CountryTable& table = Table();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(table.CountryOfAddress(addresses[i++ & 0xFFFF]));
  }
  state.SetItemsProcessed(state.iterations());
}

// Random addresses: a third or so fall in no network and pay all 29 searches.
void BM_CountryOfAddressRandom(benchmark::State& state) { LookUp(state, Addresses(false)); }
BENCHMARK(BM_CountryOfAddressRandom);

void BM_CountryOfAddressListed(benchmark::State& state) { LookUp(state, Addresses(true)); }
BENCHMARK(BM_CountryOfAddressListed);

void BM_CountryOfHostName(benchmark::State& state) {
  const std::vector<std::string> hosts = {
      "dialup-12-34.example.net", "www.example.de", "proxy.bbc.co.uk", "crawl.example.com",
      "host.example.museum",      "localhost",      "a.b.c.d.e.f.jp",  "1.0.0.127.in-addr.arpa",
  };
  const CountryTable& table = Table();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(table.CountryOfHostName(hosts[i++ % hosts.size()]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CountryOfHostName);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
