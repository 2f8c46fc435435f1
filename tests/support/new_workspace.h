// A new workspace for tests of the application layer and the front ends: made in `location` and
// listed as the most recent one in the preferences file `preferences`, as `velmora new` makes it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/session.h"
#include "workspace/file_commands.h"

namespace velmora::testing {

inline void MakeTestWorkspace(Prompter& prompter, const std::string& preferences,
                              const std::string& location, const std::string& name = "site") {
  Session maker(prompter, Preferences(preferences));
  NewWorkspaceParams params;
  params.name = name;
  params.location = location;
  ASSERT_TRUE(NewWorkspaceCommand(maker.workspace(), maker.preferences(), params).ok());
}

}  // namespace velmora::testing
