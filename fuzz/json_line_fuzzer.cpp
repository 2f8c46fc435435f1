// The parsers of the named layouts (Caddy and Traefik JSON, Cloud Storage CSV, the AWS load
// balancers), each given the whole input as one line. A record they fill keeps its texts within
// their capacity, and the same line read twice into a reused record gives the same fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>

#include "fuzz/fuzz_input.h"
#include "parsing/formats/named_layouts.h"
#include "parsing/records/log_record.h"

namespace {

void Check(velmora::LayoutLineParser parse, std::string_view line) {
  auto first = std::make_unique<velmora::LogRecord>();
  auto again = std::make_unique<velmora::LogRecord>();
  first->Reset();
  const bool matched = parse(line, *first);
  again->Reset();
  parse("{\"RequestMethod\":\"GET\",\"RequestPath\":\"/\"}", *again);
  again->Reset();
  if (parse(line, *again) != matched) std::abort();
  const auto a = std::as_const(*first).Texts();
  const auto b = std::as_const(*again).Texts();
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i]->size() > velmora::kLogTextCapacity || a[i]->view() != b[i]->view()) std::abort();
  }
  if (first->status != again->status || first->bytes_sent != again->bytes_sent ||
      first->time != again->time || first->time_taken != again->time_taken) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line = velmora::fuzz::AsText(data, size);
  Check(velmora::ParseCaddyJsonLine, line);
  Check(velmora::ParseTraefikJsonLine, line);
  Check(velmora::ParseGcsUsageLine, line);
  Check(velmora::ParseClassicLoadBalancerLine, line);
  Check(velmora::ParseApplicationLoadBalancerLine, line);
  return 0;
}
