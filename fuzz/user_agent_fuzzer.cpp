// User-agent classification and spider recognition over any text, as a log line delivers it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "analysis/agents/spider_table.h"
#include "analysis/agents/user_agent.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = velmora::fuzz::AsText(data, size);
  (void)velmora::ClassifyUserAgent(text);
  (void)velmora::InspectUserAgent(text);
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  const int spider = velmora::RecognizeSpider(lowered);
  (void)velmora::SpiderName(spider);
  return 0;
}
