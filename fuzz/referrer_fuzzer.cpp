// Referrer domains and the analysis of referrer text (kind, search engine, phrase, words). The
// input is the referrer, then a newline, then the workspace's server names.
#include <cstddef>
#include <cstdint>

#include "analysis/referrers/referrer_analysis.h"
#include "analysis/referrers/referrer_domain.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto [referrer, server_names] =
      velmora::fuzz::SplitAt(velmora::fuzz::AsText(data, size), '\n');
  const std::string domain = velmora::ExtractReferrerDomain(referrer);
  (void)velmora::AnalyseReferrerText(referrer, domain, server_names);
  (void)velmora::InspectReferrer(referrer, server_names);
  return 0;
}
