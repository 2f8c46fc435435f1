// Network texts of the rules ("a.b.c.d/w" and its partial forms).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "analysis/rules/network_text.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = velmora::fuzz::AsText(data, size);
  const velmora::NetworkAddress network = velmora::ParseNetworkText(text);
  if (network.length_read > text.size() || network.numbers_read < 0 || network.numbers_read > 5) {
    std::abort();
  }
  (void)velmora::InNetwork(0x7f000001u, network);
  return 0;
}
