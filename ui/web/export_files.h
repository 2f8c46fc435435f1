// The files of a workspace's export/ folder as the server hands them out: the exported pages
// and the pictures of their ".files" folders, and nothing else. A name is resolved with every
// symbolic link followed, so that neither "..", an absolute name nor a link leads outside the
// folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::web {

struct ExportFile {
  std::string path;  // the file itself, resolved
  std::string content_type;
};

// `relative` is the name under export/ as the address gives it, decoded; nullopt when it names
// no page or picture inside `export_folder`.
std::optional<ExportFile> FindExportFile(const std::string& export_folder,
                                         std::string_view relative);

}  // namespace velmora::web
