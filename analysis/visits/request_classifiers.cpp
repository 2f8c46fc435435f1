#include "analysis/visits/request_classifiers.h"

#include "analysis/referrers/referrer_kind.h"
#include "core/ascii.h"

namespace velmora {
namespace {

bool IsNameSeparator(char c) {
  return c == ' ' || c == ',' || c == ';' || static_cast<unsigned char>(c) < 0x20;
}

}  // namespace

bool IsServerName(std::string_view domain, std::string_view server_names) {
  size_t i = 0;
  while (i < server_names.size()) {
    while (i < server_names.size() && IsNameSeparator(server_names[i])) ++i;
    size_t end = i;
    while (end < server_names.size() && !IsNameSeparator(server_names[end])) ++end;
    if (end > i && AsciiEqualsIgnoreCase(server_names.substr(i, end - i), domain)) return true;
    i = end;
  }
  return false;
}

UserAgentVerdict RequestClassifiers::ClassifyUserAgent(std::string_view /*text*/) { return {}; }

void RequestClassifiers::AnalyseReferrer(WorkspaceDatabase& db, int32_t referrer_id,
                                         std::string_view server_names) {
  RecordTable<RefererRecord>& referers = db.referers();
  if (!referers.Has(referrer_id)) return;
  RefererRecord record = referers.Get(referrer_id);
  const std::string_view text = db.referer_strings().Get(referrer_id);
  const std::string_view domain = db.ref_domains().Get(record.domain);
  ReferrerKind kind = ReferrerKind::kOtherSite;
  if (IsServerName(domain, server_names)) {
    kind = ReferrerKind::kOwnSite;
  } else if (text == "-" || domain == "localhost") {
    kind = ReferrerKind::kNoReferrer;
  }
  record.kind = static_cast<uint32_t>(kind);
  referers.Set(referrer_id, record);
}

uint16_t RequestClassifiers::CountryOfClient(bool /*named*/, uint32_t /*address*/,
                                             std::string_view /*host*/) {
  return 0;
}

}  // namespace velmora
