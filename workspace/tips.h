// Tips of the day and their two preferences: "Show tip at startup" ("Yes"/"No", compared
// without regard to case) and "Next tip" (the index of the tip to show next; a missing or
// out-of-range value counts as 0).
#pragma once

#include <array>
#include <string_view>

#include "workspace/preferences.h"

namespace velmora {

inline constexpr std::array<std::string_view, 6> kTipsOfTheDay = {
    "You can learn how to create new workspace from the tutorial in documentation",
    "You can open recently used workspaces by selecting them from the 'File->Recent "
    "workspaces' menu",
    "You can setup log file retrieving directly from your server.",
    "You can remove unwanted information from reports by setting up filters.",
    "You can track each visitor using his IP address by using filter in the 'Today's Visits' "
    "report",
    "You can find broken links on your site using '404 Error Referrers' report",
};

// Whether a tip is shown at start-up: "Show tip at startup" equals "yes" in any case.
bool ShowTipAtStartup(const Preferences& preferences);
// Writes "Show tip at startup" as "Yes" or "No", at once.
void SetShowTipAtStartup(Preferences& preferences, bool show);

struct TipOfTheDay {
  size_t index;
  std::string_view text;
};

// The next tip: the one "Next tip" names, storing the index after it (5 wraps to 0).
TipOfTheDay TakeNextTip(Preferences& preferences);

}  // namespace velmora
