// StandardClassifiers: the request processor's classifiers answered by the program's own
// tables - user-agent classification and the spider list, the referrer analysis with the
// search-engine table, and the IP-to-country table built at start-up.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/countries/country_table.h"
#include "analysis/visits/request_classifiers.h"

namespace velmora {

class StandardClassifiers final : public RequestClassifiers {
 public:
  // Uses the program's shared country table.
  StandardClassifiers();
  // Uses `countries`, which must outlive the object.
  explicit StandardClassifiers(const CountryTable& countries) : countries_(&countries) {}

  UserAgentVerdict ClassifyUserAgent(std::string_view text) override;
  void AnalyseReferrer(WorkspaceDatabase& db, int32_t referrer_id,
                       std::string_view server_names) override;
  uint16_t CountryOfClient(bool named, uint32_t address, std::string_view host) override;

 private:
  // The same visitors come back all day, and a lookup is up to 29 binary searches: the last
  // answer for each slot of addresses is kept (one classifier serves one run's worker).
  struct CountrySlot {
    uint32_t address = 0;
    uint16_t country = 0;
    bool used = false;
  };
  static constexpr size_t kCountrySlots = 65536;  // a power of two (512 KiB)

  const CountryTable* countries_;
  std::vector<CountrySlot> country_memo_ = std::vector<CountrySlot>(kCountrySlots);
};

}  // namespace velmora
