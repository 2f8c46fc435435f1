#include "ui/web/folder_browser.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "core/workspace_layout.h"

namespace velmora::web {
namespace {

namespace fs = std::filesystem;

// A folder of tens of thousands of files is no place to look for a workspace; the first ones
// are listed and the page says there are more.
constexpr size_t kMaxEntries = 5000;
// Nor is one of millions of log files read to its end to find the few entries it would list.
constexpr size_t kMaxScanned = 100000;

Error Refused(int code, std::string text) { return Error{code, std::move(text)}; }

Error Outside(std::string_view path) {
  return Refused(EACCES, "'" + std::string(path) +
                             "' lies outside the folders the page may show: your home folder "
                             "and the folders of recent workspaces");
}

// The page can only name again what it was sent, and JSON carries UTF-8 text alone.
bool IsUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80           ? 1
                          : (lead >> 5) == 0x6  ? 2
                          : (lead >> 4) == 0xE  ? 3
                          : (lead >> 3) == 0x1E ? 4
                                                : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

Result<fs::path> Absolute(std::string_view path) {
  const fs::path given(path);
  if (path.empty() || !given.is_absolute()) {
    return Refused(EINVAL, "give a full path, starting with '/'");
  }
  // The system would read such a path only up to the NUL: another path than the one checked.
  if (path.find('\0') != std::string_view::npos) return Refused(EINVAL, "a path holds no NUL");
  return given;
}

bool IsWorkspaceFile(const fs::path& path, const fs::file_status& status) {
  return fs::is_regular_file(status) && path.extension() == kWorkspaceFileExtension;
}

}  // namespace

FolderBrowser::FolderBrowser(const std::vector<std::string>& roots) {
  for (const std::string& root : roots) {
    std::error_code ec;
    const fs::path resolved = fs::canonical(root, ec);
    if (ec || !fs::is_directory(resolved, ec)) continue;
    if (std::find(roots_.begin(), roots_.end(), resolved.string()) == roots_.end()) {
      roots_.push_back(resolved.string());
    }
  }
}

bool FolderBrowser::Within(const std::string& resolved) const {
  return std::any_of(roots_.begin(), roots_.end(), [&resolved](const std::string& root) {
    if (root == "/") return true;
    return resolved == root ||
           (resolved.size() > root.size() && resolved.compare(0, root.size(), root) == 0 &&
            resolved[root.size()] == '/');
  });
}

Result<FolderListing> FolderBrowser::List(std::string_view path, BrowseFor what) const {
  const Result<std::string> folder = Resolve(path, true);
  if (!folder.ok()) return folder.error();
  std::error_code ec;
  if (!fs::is_directory(folder.value(), ec)) {
    return Refused(ENOTDIR, "'" + std::string(path) + "' is not a folder");
  }

  FolderListing listing;
  listing.path = folder.value();
  const fs::path resolved(listing.path);
  if (resolved.has_relative_path() && Within(resolved.parent_path().string())) {
    listing.parent = resolved.parent_path().string();
  }
  fs::directory_iterator it(resolved, fs::directory_options::skip_permission_denied, ec);
  if (ec) return Refused(ec.value(), "cannot read '" + listing.path + "': " + ec.message());
  size_t scanned = 0;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    if (++scanned > kMaxScanned) {
      listing.cut = true;
      break;
    }
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.' || !IsUtf8(name)) continue;
    std::error_code entry_ec;
    const fs::file_status status = it->status(entry_ec);  // follows a link to its target
    if (entry_ec) continue;
    const bool folder = fs::is_directory(status);
    if (!folder && (what == BrowseFor::kFolders || !IsWorkspaceFile(it->path(), status))) continue;
    if (it->is_symlink(entry_ec)) {
      const fs::path target = fs::canonical(it->path(), entry_ec);
      if (entry_ec || !Within(target.string())) continue;
    }
    if (listing.entries.size() == kMaxEntries) {
      listing.cut = true;
      break;
    }
    listing.entries.push_back({name, folder});
  }
  std::sort(listing.entries.begin(), listing.entries.end(),
            [](const BrowseEntry& a, const BrowseEntry& b) {
              return a.folder != b.folder ? a.folder : a.name < b.name;
            });
  return listing;
}

Result<std::string> FolderBrowser::Resolve(std::string_view path, bool existing) const {
  const Result<fs::path> given = Absolute(path);
  if (!given.ok()) return given.error();
  std::error_code ec;
  const fs::path resolved = existing ? fs::canonical(*given, ec) : fs::weakly_canonical(*given, ec);
  if (ec) return Refused(ENOENT, "'" + std::string(path) + "' is not there");
  std::string text = resolved.string();
  if (text.size() > 1 && text.back() == '/') text.pop_back();
  if (!Within(text)) return Outside(path);
  return text;
}

Result<std::string> FolderBrowser::Confine(std::string_view path) const {
  return Resolve(path, false);
}

Result<std::string> FolderBrowser::WorkspaceFile(std::string_view path) const {
  Result<std::string> file = Resolve(path, true);
  std::error_code ec;
  if (file.ok() && !IsWorkspaceFile(file.value(), fs::status(file.value(), ec))) {
    return Refused(EINVAL, "'" + std::string(path) + "' is not a Velmora workspace file (.stw)");
  }
  return file;
}

}  // namespace velmora::web
