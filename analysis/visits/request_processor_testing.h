// Test support for the request processor: a freshly created workspace database in a temporary
// folder, classifiers whose answers follow simple marks in the texts, and requests written as
// short descriptions that go through the hourly counters and the processor as the parse run
// would send them.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/visits/request_classifiers.h"
#include "analysis/visits/request_processor.h"
#include "parsing/records/record_completion.h"
#include "platform/prompter.h"
#include "storage/workspace_database.h"
#include "tests/support/temp_dir.h"

namespace velmora::testing {

// A user agent containing "bot" is spider row 0 ("crawler" row 5), "Mobile" runs on "Phone";
// every browser is "Browser", except one starting with '/' which has no name. A referrer
// containing "search?q=" is a search engine; the rest follows the base class. A named client
// is country 7, a numeric one the value of its first octet.
class MarkedClassifiers final : public RequestClassifiers {
 public:
  UserAgentVerdict ClassifyUserAgent(std::string_view text) override {
    ++agents_classified;
    UserAgentVerdict verdict;
    verdict.browser = text.starts_with("/") ? "" : "Browser";
    verdict.os = text.find("Mobile") != std::string_view::npos ? "Phone" : "Desktop";
    if (text.find("crawler") != std::string_view::npos) verdict.spider = 5;
    if (text.find("bot") != std::string_view::npos) verdict.spider = 0;
    return verdict;
  }
  void AnalyseReferrer(WorkspaceDatabase& db, int32_t id, std::string_view names) override {
    ++referrers_analysed;
    RequestClassifiers::AnalyseReferrer(db, id, names);
    if (db.referer_strings().Get(id).find("search?q=") != std::string_view::npos) {
      RefererRecord record = db.referers().Get(id);
      record.kind = 3;
      record.search_engine = 1;
      db.referers().Set(id, record);
    }
  }
  uint16_t CountryOfClient(bool named, uint32_t address, std::string_view) override {
    return named ? 7 : static_cast<uint16_t>(address >> 24);
  }

  int agents_classified = 0;
  int referrers_analysed = 0;
};

// One request as a log line would deliver it, completed. Times are on 5 March 2024 unless
// `day` says otherwise.
struct Request {
  std::string time = "10:00";  // hh:mm or hh:mm:ss
  std::string host = "10.0.0.1";
  std::string url = "/index.html";
  std::string query = "";
  int32_t status = 200;
  uint32_t request_class = 0x101;  // page, logged as visit
  std::string referrer = "";
  std::string agent = "Mozilla/5.0";
  int32_t bytes_sent = 100;
  int32_t bytes_received = 10;
  int day = 5;
};

inline constexpr uint32_t kPageVisit = 0x101;
inline constexpr uint32_t kDownloadVisit = 0x102;
inline constexpr uint32_t kImageVisit = 0x103;
inline constexpr uint32_t kUndefinedVisit = 0x100;
inline constexpr uint32_t kPageNonVisit = 0x201;
inline constexpr uint32_t kNotLogged = 0x001;

inline Ticks TimeOf(int day, std::string_view hh_mm_ss) {
  CalendarTime c{2024, 3, 0, static_cast<uint16_t>(day), 0, 0, 0, 0};
  c.hour = static_cast<uint16_t>(std::stoi(std::string(hh_mm_ss.substr(0, 2))));
  c.minute = static_cast<uint16_t>(std::stoi(std::string(hh_mm_ss.substr(3, 2))));
  if (hh_mm_ss.size() >= 8)
    c.second = static_cast<uint16_t>(std::stoi(std::string(hh_mm_ss.substr(6, 2))));
  return *CalendarToTicks(c);
}

inline void FillRecord(const Request& r, LogRecord& record) {
  record.Reset();
  record.client_host.assign(r.host);
  record.client_address = ClientAddressOf(r.host);
  record.uri_stem.assign(r.url);
  record.query.assign(r.query);
  record.status = r.status;
  record.referrer.assign(r.referrer);
  record.user_agent.assign(r.agent);
  record.request_class = r.request_class;
  record.bytes_sent = r.bytes_sent;
  record.bytes_received = r.bytes_received;
  record.time = TimeOf(r.day, r.time);
  record.calendar_time = TicksToCalendar(record.time);
  record.method.assign("GET");
}

// A workspace database created empty, open for the test, and a processor over it.
class ProcessorFixture : public ::testing::Test {
 protected:
  ProcessorFixture() : db_(prompter_, dir_.str()), record_(std::make_unique<LogRecord>()) {}

  void SetUp() override {
    ASSERT_TRUE(db_.Create());
    StartProcessor();
  }
  void TearDown() override {
    if (processor_) processor_->EndRun();
    db_.Release();
    db_.CloseNow();
  }

  // Replaces the processor (ending the run of the old one) with one of `settings`.
  void StartProcessor(RequestProcessorSettings settings = {}) {
    if (processor_) processor_->EndRun();
    processor_ = std::make_unique<RequestProcessor>(db_, std::move(settings), classifiers_);
    processor_->BeginRun();
  }
  void Restart(bool advanced, bool full_path = true, int32_t timeout = 30) {
    RequestProcessorSettings settings;
    settings.advanced_visit_detection = advanced;
    settings.store_full_path = full_path;
    settings.session_timeout_minutes = timeout;
    settings.server_names = "www.example.com example.com";
    StartProcessor(settings);
  }

  // Counts and processes one request; returns the completed record.
  const LogRecord& Send(const Request& request) {
    FillRecord(request, *record_);
    processor_->CountHourly(*record_);
    if (record_->request_class >= 256) processor_->ProcessRecord(*record_);
    return *record_;
  }
  int32_t VisitOf(const Request& request) { return static_cast<int32_t>(Send(request).visit_id); }
  // Ends the run so that every list is stored.
  void Flush() { processor_->EndRun(); }

  SessionRecord Visit(int32_t n) { return db_.sessions().Get(n); }
  SessionDetailRecord Detail(int32_t n) { return db_.session_details().Get(n); }
  std::vector<int32_t> StoredList(SequenceTable& table, int32_t handle) {
    return handle < 0 ? std::vector<int32_t>{} : table.Get(handle).ToVector();
  }
  // The resource numbers of `urls`, as the page lists hold them.
  int32_t Resource(std::string_view url) { return db_.resources().Find(url); }

  TempDir dir_;
  ScriptedPrompter prompter_;
  WorkspaceDatabase db_;
  MarkedClassifiers classifiers_;
  std::unique_ptr<RequestProcessor> processor_;
  std::unique_ptr<LogRecord> record_;
};

}  // namespace velmora::testing
