#include "reports/frame/report_day.h"

#include <gtest/gtest.h>

#include "storage/database_catalogue.h"
#include "storage/database_keys.h"
#include "storage/index_order.h"
#include "storage/table_file_name.h"
#include "storage/table_test_support.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

// A created database, closed again, in a temporary workspace folder.
class ReportDayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_.Create());
    db_.Release();
    db_.CloseNow();
  }
  ReportLoad Load(int your_time_zone_minutes, Ticks utc_now) {
    return LoadForReports(db_, prompter_, your_time_zone_minutes, utc_now);
  }
  std::string Disk(std::string_view table, uint32_t file_id) const {
    return HashedTableFileName(db_.TablePath(table), file_id);
  }

  velmora::testing::TempDir dir_;
  ScriptedPrompter prompter_;
  WorkspaceDatabase db_{prompter_, dir_.str()};
};

TEST_F(ReportDayTest, ReferenceDayComesFromTheClockOrTheLastHour) {
  const Ticks utc_now = *CalendarToTicks({2024, 3, 0, 10, 23, 30, 0, 0});
  const Ticks march_11 = *CalendarToTicks({2024, 3, 0, 11, 0, 0, 0, 0});
  const Ticks march_10 = *CalendarToTicks({2024, 3, 0, 10, 0, 0, 0, 0});

  ReportLoad load = Load(60, utc_now);  // empty Hourly: today in the user's zone
  EXPECT_EQ(load.outcome, ReportLoad::Outcome::kOpened);
  EXPECT_EQ(load.reference_day, march_11);
  EXPECT_EQ(Load(-60, utc_now).reference_day, march_10);
  EXPECT_EQ(db_.use_count(), 0);

  // Hours arrive out of order; the index's last entry, not the last record, counts.
  ASSERT_TRUE(db_.Open());
  const Ticks hours[] = {*CalendarToTicks({2023, 7, 0, 4, 18, 0, 0, 0}),
                         *CalendarToTicks({2023, 7, 0, 1, 9, 0, 0, 0})};
  for (Ticks hour : hours) {
    HourlyRecord record;
    record.hour.set(hour);
    const int32_t n = db_.hourly().Append(record);
    ASSERT_GE(
        AddIndexEntry(db_.hourly().index(1), static_cast<uint32_t>(n), HourlyHourKey(db_.hourly())),
        0);
  }
  db_.Release();
  EXPECT_EQ(Load(60, utc_now).reference_day, *CalendarToTicks({2023, 7, 0, 5, 0, 0, 0, 0}));
}

TEST_F(ReportDayTest, UnopenableDatabaseIsOfferedForReset) {
  testing::PokeLE32(Disk(table_name::kSessions, 0), 4, 0);
  const Ticks now = *CalendarToTicks({2024, 1, 0, 2, 12, 0, 0, 0});

  const ReportLoad declined = Load(0, now);
  EXPECT_EQ(declined.outcome, ReportLoad::Outcome::kNotLoaded);
  EXPECT_FALSE(declined.reference_day);
  ASSERT_EQ(prompter_.messages().size(), 3u);
  EXPECT_EQ(prompter_.messages()[2].text,
            "The workspace database cannot be opened. Would you like to reset the database?");
  EXPECT_EQ(prompter_.messages()[2].buttons, PromptButtons::kYesNo);
  EXPECT_EQ(prompter_.messages()[2].icon, PromptIcon::kQuestion);

  prompter_.QueueAnswer(PromptAnswer::kCancel);
  prompter_.QueueAnswer(PromptAnswer::kYes);
  const ReportLoad reset = Load(0, now);
  EXPECT_EQ(reset.outcome, ReportLoad::Outcome::kRecreated);
  EXPECT_EQ(reset.reference_day, *CalendarToTicks({2024, 1, 0, 2, 0, 0, 0, 0}));
  EXPECT_EQ(db_.use_count(), 0);
}

}  // namespace
}  // namespace velmora
