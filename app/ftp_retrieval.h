// Retrieving log files from the web server's FTP service: list the log folder, let the front end
// choose ("Files on server", new files ticked), download each chosen file whole, store it as the
// workspace says, and remove it on the server only once it is stored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/import_operation.h"

namespace velmora {

// The chooser's list from a server listing (one name per line, hostile names left out), by name
// descending ignoring case; `logs_folder` tells which are new.
std::vector<LogCandidate> FtpCandidates(std::string_view listing, const std::string& logs_folder);

// With the workspace already open for writing (ImportLocal opens it and hands a retrieval of an
// FTP workspace over). Connection and listing failures fail the run; a file that fails is shown
// through the prompter and the run goes on.
Result<ImportResult> RetrieveFtp(Session& session, std::string_view path,
                                 const ImportRequest& request, const ImportChooser& chooser,
                                 const ImportProgress& progress);

}  // namespace velmora
