#include "parsing/run/pipelined_sink.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace velmora {
namespace {

// Notes what reaches it, and on which thread.
class RecordingSink : public ParseSink {
 public:
  void WriteLog(std::string_view text) override { log += text; }
  void AddRunTotals(int64_t lines, int64_t) override { totals += lines; }
  void ProcessRecord(LogRecord& record, bool analysed) override {
    seen.push_back(std::string(record.uri_stem.view()) + (analysed ? "+" : "-") +
                   std::to_string(record.status));
    threads.push_back(std::this_thread::get_id());
  }

  std::string log;
  int64_t totals = 0;
  std::vector<std::string> seen;
  std::vector<std::thread::id> threads;
};

TEST(PipelinedSinkTest, EveryRecordArrivesOnceInOrderOnOneOtherThread) {
  for (const int count : {0, 1, 31, 32, 33, 255, 256, 257, 10'000}) {
    SCOPED_TRACE(count);
    RecordingSink inner;
    std::vector<std::string> expected;
    {
      PipelinedSink sink(inner);
      LogRecord record;
      for (int i = 0; i < count; ++i) {
        // Texts of changing length: a copy must not keep the tail of a longer earlier text.
        record.Reset();
        record.uri_stem.assign(std::string(static_cast<size_t>(i % 97), 'a') + std::to_string(i));
        record.status = i;
        sink.ProcessRecord(record, i % 3 != 0);
        expected.push_back(std::string(record.uri_stem.view()) + (i % 3 != 0 ? "+" : "-") +
                           std::to_string(i));
        record.uri_stem.assign("reused at once");
      }
      sink.WriteLog("straight through");
      sink.AddRunTotals(count, 0);
      EXPECT_EQ(inner.log, "straight through");  // not queued behind the records
      sink.Finish();
      EXPECT_EQ(inner.seen, expected);
      sink.Finish();  // again: harmless
    }
    EXPECT_EQ(inner.seen.size(), static_cast<size_t>(count));
    EXPECT_EQ(inner.totals, count);
    for (const std::thread::id id : inner.threads) {
      EXPECT_NE(id, std::this_thread::get_id());
      EXPECT_EQ(id, inner.threads.front());
    }
  }
}

// Every field reaches the analysis as the parser left it. Empty texts and the analysis' fields at
// their reset values are left out of the hand-over and restored on the other side; the analysis'
// record is reused, so nothing of the record before may show through.
TEST(PipelinedSinkTest, EveryFieldArrivesAsItWasSent) {
  struct Keeper : ParseSink {
    void ProcessRecord(LogRecord& record, bool) override {
      kept.push_back(std::make_unique<LogRecord>(record));
    }
    std::vector<std::unique_ptr<LogRecord>> kept;
  } inner;
  const auto scalars = [](const LogRecord& r) {
    return std::vector<int64_t>({r.client_address, r.server_port, r.status, r.error_id,
                                 r.resource_id, r.bytes_sent, r.bytes_received, r.time_taken,
                                 r.user_agent_id, r.referrer_id, static_cast<int64_t>(r.time),
                                 r.request_class, r.referrer_domain_id, r.referrer_kind,
                                 r.operating_system_id, r.browser_id, r.visit_id});
  };
  std::vector<std::unique_ptr<LogRecord>> sent;
  for (int i = 0; i < 4; ++i) {
    sent.push_back(std::make_unique<LogRecord>());
    sent.back()->Reset();
  }
  // Every field its own value, so that two fields swapped in the packing show.
  LogRecord& r = *sent[0];
  int n = 0;
  for (LogText* text : r.Texts()) text->assign("text " + std::to_string(n++));
  r.user_agent.assign(std::string(2048, 'u'));
  r.client_address = 1, r.server_port = 2, r.status = 3, r.error_id = 4, r.resource_id = 5;
  r.bytes_sent = 6, r.bytes_received = 7, r.time_taken = 8, r.user_agent_id = 9;
  r.referrer_id = 10, r.calendar_time = {2024, 2, 4, 1, 10, 11, 12, 13}, r.time = 14;
  r.request_class = 15, r.referrer_domain_id = 16, r.referrer_kind = 17;
  r.operating_system_id = 18, r.browser_id = 19, r.visit_id = 20;
  sent[1]->uri_stem.assign("/only");
  sent[1]->status = 200;
  sent[2]->browser.assign("last text");
  sent[2]->error_id = 7;  // one field of the analysis' away from its reset value
  sent[3]->date_time.assign("first text");
  {
    PipelinedSink sink(inner);
    for (const auto& record : sent) sink.ProcessRecord(*record, true);
  }
  ASSERT_EQ(inner.kept.size(), sent.size());
  for (size_t k = 0; k < sent.size(); ++k) {
    const auto want = std::as_const(*sent[k]).Texts();
    const auto got = std::as_const(*inner.kept[k]).Texts();
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(got[i]->view(), want[i]->view()) << "record " << k << " text " << i;
    }
    EXPECT_EQ(scalars(*inner.kept[k]), scalars(*sent[k])) << "record " << k;
    EXPECT_EQ(inner.kept[k]->calendar_time, sent[k]->calendar_time) << "record " << k;
  }
}

}  // namespace
}  // namespace velmora
