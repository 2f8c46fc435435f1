#include "analysis/visits/standard_classifiers.h"

#include "analysis/agents/spider_table.h"
#include "analysis/agents/user_agent.h"
#include "analysis/countries/ipv6_country_table.h"
#include "analysis/referrers/referrer_store.h"

namespace velmora {

StandardClassifiers::StandardClassifiers() : countries_(&SharedCountryTable()) {}

UserAgentVerdict StandardClassifiers::ClassifyUserAgent(std::string_view text) {
  UserAgentClass agent = velmora::ClassifyUserAgent(text);
  UserAgentVerdict verdict;
  verdict.spider = RecognizeSpider(agent.lowered);
  verdict.browser = std::move(agent.browser);
  verdict.os = std::move(agent.os);
  return verdict;
}

void StandardClassifiers::AnalyseReferrer(WorkspaceDatabase& db, int32_t referrer_id,
                                          std::string_view server_names) {
  velmora::AnalyseReferrer(db, referrer_id, server_names);
}

uint16_t StandardClassifiers::CountryOfClient(bool named, uint32_t address, std::string_view host) {
  if (named) {
    // A client logged by an IPv6 address has no numeric IPv4 form: its text is looked up.
    if (const std::optional<uint16_t> country =
            CountryOfIpv6Client(host, *countries_, SharedIpv6CountryTable())) {
      return *country;
    }
    return countries_->CountryOfHostName(host);
  }
  CountrySlot& slot = country_memo_[(address * 0x9E3779B1u) >> 16];
  if (!slot.used || slot.address != address) {
    slot = {address, countries_->CountryOfAddress(address), true};
  }
  return slot.country;
}

}  // namespace velmora
