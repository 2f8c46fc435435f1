// The desktop around the program: where documents and preferences live, and handing a file or
// folder to the user's default application.
#pragma once

#include <string>

namespace velmora {

// $HOME, else the account's home folder, else "" when neither is known.
std::string HomeFolder();
// $XDG_DOCUMENTS_DIR, else ~/Documents (or the working folder when HOME is unset).
std::string DocumentsFolder();
// $XDG_CONFIG_HOME/velmora, else ~/.config/velmora.
std::string ConfigFolder();
// ConfigFolder() + "/preferences.ini".
std::string PreferencesPath();

// Opens `target` (a file, folder or URL) with xdg-open in the background. Returns false, quietly,
// where xdg-open is absent or there is no display.
bool OpenWithDesktop(const std::string& target);

}  // namespace velmora
