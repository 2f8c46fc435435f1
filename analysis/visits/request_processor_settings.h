// What the request processor takes from the workspace settings, as a plain value: the front end
// fills it from the workspace, so the analysis never depends on the workspace code.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

struct RequestProcessorSettings {
  // The session timeout in minutes; a request joins a visit whose last request lies within it.
  // Negative values count as 0.
  int32_t session_timeout_minutes = 30;
  // Match visits also by /16 network, user agent and referrer, not by client address alone.
  bool advanced_visit_detection = true;
  // Page lists in request order (the full path) rather than in summary form.
  bool store_full_path = true;
  // The site's own domains (blanks, ',' or ';' between names), for the referrer analysis.
  std::string server_names;
  // Caches in front of the table searches (texts to string ids, the current hour). They leave
  // every table byte for byte as the searches alone would; off only to prove exactly that.
  bool accelerated = true;
};

}  // namespace velmora
