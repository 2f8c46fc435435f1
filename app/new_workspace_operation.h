// The new-workspace wizard as one operation for every front end: the values of its pages, each
// the text its setting key takes, checked exactly as `settings set` checks them before anything
// is made; then the workspace is created, listed as the most recent, and its files are let go so
// that the front end can open it as it opens any other. A value one front end refuses, the other
// refuses too, with the same words.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/result.h"
#include "platform/prompter.h"
#include "workspace/preferences.h"
#include "workspace/workspace.h"

namespace velmora {

// What the wizard's pages hold, as the person entered it.
struct NewWorkspaceValues {
  std::string name;
  std::string location;  // the folder the workspace folder goes in; "" for the default
  // Setting key and value text, for the keys of WizardSettingKeys() only; a key left out keeps
  // the default of a new workspace.
  std::vector<std::pair<std::string, std::string>> settings;
};

// The setting keys the wizard's pages set: general, log format, retrieval, Fetchlet and FTP.
std::span<const std::string_view> WizardSettingKeys();

// The values as the parameters of a new workspace. Fails with kBadRequest, naming the setting and
// what it accepts, for the first value refused, for a key no page of the wizard sets, and for the
// custom log format chosen without the format itself. The name is not judged here: creating the
// workspace says "The workspace name is invalid" as every front end shows it.
Result<NewWorkspaceParams> CheckNewWorkspace(const NewWorkspaceValues& values);

// Where the workspace was made.
struct NewWorkspaceMade {
  std::string folder;  // ends with '/'
  std::string file;    // the settings file, a full path
};

// Creates the workspace of `params` and lists it as the most recent; the Prompter shows the
// refusals and asks before files are overwritten (OverwriteQuestion tells beforehand whether it
// will). The new workspace's database is closed again when this returns.
Result<NewWorkspaceMade> CreateWorkspace(Prompter& prompter, Preferences& preferences,
                                         const NewWorkspaceParams& params);

}  // namespace velmora
