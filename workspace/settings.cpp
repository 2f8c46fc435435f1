#include "workspace/settings.h"

namespace velmora {

std::vector<ResourceMask> DefaultResourceMasks() {
  // Rule 0 must stay ahead of "*.exe": probes for /scripts/root.exe are not logged at all.
  return {
      {"/default.ida", 0x000, 0}, {"*/root.exe", 0x000, 0},   {"*/cmd.exe", 0x000, 0},
      {"*.asp", 0x101, 1},        {"*.aspx", 0x101, 1},       {"*.htm", 0x101, 1},
      {"*.html", 0x101, 1},       {"*.shtm", 0x101, 1},       {"*.shtml", 0x101, 1},
      {"*.php", 0x101, 1},        {"*.cgi", 0x101, 1},        {"*.zip", 0x102, 2},
      {"*.exe", 0x102, 2},        {"/favicon.ico", 0x203, 3}, {"*", 0x200, 4},
  };
}

WorkspaceSettings NewWorkspaceSettings(std::string_view name) {
  WorkspaceSettings settings;
  settings.block.workspace_name = std::string(name);
  settings.resource_masks = DefaultResourceMasks();
  return settings;
}

bool IsValidWorkspaceName(std::string_view name) {
  if (name.empty() || name.size() >= kTextFieldSize) return false;
  // "." and ".." would name the chosen folder itself or its parent.
  if (name == "." || name == "..") return false;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte > 0x7F) return false;
    switch (c) {
      case '*':
      case '+':
      case '/':
      case ':':
      case '?':
      case '\\':
        return false;
      default:
        break;
    }
  }
  return true;
}

}  // namespace velmora
