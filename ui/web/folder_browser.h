// The folder browser the page opens and picks from: the folders and workspace files under a set of
// roots (the user's home folder, the folders of the recent workspaces) and nothing outside them.
// Every path is resolved first, symbolic links and ".." included, and only then compared with the
// resolved roots: a link that leads out of a root, or a ".." that climbs out of one, is refused
// like a plain path elsewhere. Entries whose target lies outside are not listed at all.
//
// Failures carry an errno as their code for the front end's status: EACCES outside the roots,
// ENOENT for a path that is not there, ENOTDIR for a file where a folder is wanted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace velmora::web {

enum class BrowseFor : uint8_t {
  kWorkspaces,  // folders and .stw files
  kFolders,     // folders only
};

struct BrowseEntry {
  std::string name;
  bool folder = false;  // else a workspace file
};

struct FolderListing {
  std::string path;                   // resolved, without a trailing '/' (but "/" itself)
  std::optional<std::string> parent;  // only while it lies within a root
  std::vector<BrowseEntry> entries;   // folders first, then by name
  bool cut = false;                   // more entries were there than are listed
};

class FolderBrowser {
 public:
  // The roots as given; those that are not folders are dropped, the rest resolved.
  explicit FolderBrowser(const std::vector<std::string>& roots);

  // The resolved roots, in the order given, without repeats.
  const std::vector<std::string>& roots() const { return roots_; }

  // Lists the folder `path` names: hidden entries (a leading '.') and names that are not UTF-8
  // text are left out, as is anything that is neither a folder nor a regular file with the
  // .stw extension (kFolders: neither a folder).
  Result<FolderListing> List(std::string_view path, BrowseFor what) const;

  // `path` resolved as far as it exists (the rest taken lexically), when that lies within a
  // root: the place a new workspace may be made in.
  Result<std::string> Confine(std::string_view path) const;

  // `path` resolved, when it is a workspace file within a root.
  Result<std::string> WorkspaceFile(std::string_view path) const;

 private:
  // `path` resolved (only as far as it exists unless `existing`), when it lies within a root.
  Result<std::string> Resolve(std::string_view path, bool existing) const;
  bool Within(const std::string& resolved) const;

  std::vector<std::string> roots_;
};

}  // namespace velmora::web
