// The report day: the day the reports count their five periods back from when a workspace is
// opened or its data changes. It is the day after the last hour that has data, so that freshly
// parsed logs show at once whatever the clock says; a database without hours starts from today
// in the user's time zone.
#pragma once

#include <cstdint>
#include <optional>

#include "core/tick_time.h"
#include "platform/prompter.h"
#include "storage/workspace_database.h"

namespace velmora {

// What LoadForReports found.
struct ReportLoad {
  enum class Outcome : uint8_t {
    kOpened,     // the database opened; reference_day is set
    kRecreated,  // it could not be opened and was created anew; reference_day is set
    kNotLoaded,  // neither: the workspace counts as not loaded and its reports are empty
  };
  Outcome outcome = Outcome::kNotLoaded;
  std::optional<Ticks> reference_day;  // the day the reports count their periods from
};

// Opens `database` for the reports and derives the report day (`utc_now` plus
// `your_time_zone_minutes` gives today). When it cannot be opened, asks through `prompter`
// whether to reset it. The use taken here is released again.
ReportLoad LoadForReports(WorkspaceDatabase& database, Prompter& prompter,
                          int your_time_zone_minutes, Ticks utc_now);

}  // namespace velmora
