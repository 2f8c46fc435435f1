#include "workspace/settings.h"

namespace velmora {

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
