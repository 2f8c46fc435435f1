// RequestClassifiers: the knowledge the request processor asks for once per distinct text - what
// a new user agent is (browser, operating system, spider), what a new referrer is, and which
// country a client comes from when its visit opens. The processor only files the answers.
//
// The base class answers without any knowledge: no browser or system, never a spider, the
// country Unknown, and a referrer kind from its domain alone (no referrer for "-" and localhost,
// the own site for a server name, any other site otherwise). StandardClassifiers
// (standard_classifiers.h) answers with the program's tables; tests answer as they need.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "storage/workspace_database.h"

namespace velmora {

struct UserAgentVerdict {
  std::string browser;  // empty: no browser name
  std::string os;       // empty: no operating-system name
  int32_t spider = -1;  // row of the spider list, -1 for a human visitor
};

class RequestClassifiers {
 public:
  virtual ~RequestClassifiers() = default;

  // A user-agent text seen for the first time (with '+' already turned into spaces).
  virtual UserAgentVerdict ClassifyUserAgent(std::string_view text);

  // Fills in Referers record `referrer_id`, whose domain number is already set: its kind at
  // least, and whatever search details the classifier knows. `server_names` is the workspace's
  // setting (names separated by blanks, ',' or ';').
  virtual void AnalyseReferrer(WorkspaceDatabase& db, int32_t referrer_id,
                               std::string_view server_names);

  // The country index a visit stores: by the host-name text for a client logged by name
  // (`named`), by the IPv4 number otherwise.
  virtual uint16_t CountryOfClient(bool named, uint32_t address, std::string_view host);
};

// Whether `domain` equals one of `server_names` without regard to ASCII case.
bool IsServerName(std::string_view domain, std::string_view server_names);

}  // namespace velmora
