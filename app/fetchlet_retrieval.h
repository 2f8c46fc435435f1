// Retrieving log files over HTTP from Fetchlet, the companion on the web server: ask it for its
// list (telling it how many of the newest files to keep and which compression to send), let the
// front end choose ("Files on server", new files ticked), download each chosen entry whole and
// store it under the entry's last path component. A cancelled or failed download is never
// stored.
#pragma once

#include <string_view>

#include "app/import_operation.h"

namespace velmora {

// The port of a server name that names none and does not begin with https://.
inline constexpr int kFetchletDefaultPort = 80;

// With the workspace already open for writing (ImportLocal opens it and hands a retrieval of a
// Fetchlet workspace over). A failed list request or an error reply of the companion fails the
// run; a file that fails is noted and the run goes on. A plain-HTTP server with a user name set
// gives one warning through the prompter, as the password then crosses unencrypted.
Result<ImportResult> RetrieveFetchlet(Session& session, std::string_view path,
                                      const ImportRequest& request, const ImportChooser& chooser,
                                      const ImportProgress& progress);

}  // namespace velmora
