// Reports and charts from the command line: the tree, one report in each format, the cached result
// reused until new data arrive, the counts agreeing with the stored visits, and misuse refused.
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "tests/cli_fixture.h"

namespace velmora {
namespace {

using nlohmann::json;

std::string Line(const std::string& client, const std::string& day, const std::string& path,
                 const std::string& referrer = "-") {
  return client + " - - [" + day + ":10:00:00 +0000] \"GET " + path + " HTTP/1.1\" 200 1000 \"" +
         referrer + "\" \"Mozilla/5.0 (Windows NT 10.0) Firefox/120.0\"\n";
}

class ReportCommandsTest : public CliTest {
 protected:
  void SetUp() override {
    folder_ = NewWorkspace();
    std::ofstream(folder_ + "logs/a.log")
        << Line("81.2.69.160", "01/Mar/2024", "/index.html", "http://www.example.org/links")
        << Line("81.2.69.160", "01/Mar/2024", "/about.html", "http://www.example.org/links")
        << Line("5.9.0.1", "05/Mar/2024", "/index.html")
        << Line("8.8.8.8", "09/Mar/2024", "/index.html", "http://news.example.net/")
        << Line("8.8.4.4", "10/Mar/2024", "/about.html");
    ASSERT_EQ(Velmora({"-w", folder_, "parse"}).status, 0);
  }
  json Report(std::vector<std::string> args) {
    std::vector<std::string> all = {"-w", folder_, "report"};
    all.insert(all.end(), args.begin(), args.end());
    all.insert(all.end(), {"--format", "json"});
    const auto r = Velmora(all);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? json::parse(r.out) : json();
  }
  // The five values of the row whose key is `key`; empty when there is none.
  static std::vector<double> Values(const json& report, const std::string& key) {
    for (const json& row : report["rows"]) {
      if (row["cells"][0] == key) {
        std::vector<double> v;
        for (size_t i = 1; i < row["values"].size(); ++i) v.push_back(row["values"][i]);
        return v;
      }
    }
    return {};
  }

  std::string folder_;
};

TEST_F(ReportCommandsTest, TheTreeListsEveryReport) {
  const auto table = Velmora({"reports"});
  EXPECT_EQ(table.status, 0) << table.err;
  const auto lines = Lines(table.out);
  ASSERT_EQ(lines.size(), 146u);
  EXPECT_EQ(lines[0].substr(0, 7), "Traffic");
  EXPECT_NE(lines[47].find("  Requested Pages"), std::string::npos);
  EXPECT_NE(lines[47].find("pagesreq"), std::string::npos);
  const json tree = json::parse(Velmora({"reports", "--format", "json"}).out);
  ASSERT_EQ(tree.size(), 146u);
  EXPECT_EQ(tree[83]["id"], "ref_swords_1");
  EXPECT_EQ(tree[83]["title"], "Google : Search Words");
  EXPECT_EQ(tree[83]["engine_filter"], 2);
  EXPECT_TRUE(tree[2]["id"].is_null());
}

TEST_F(ReportCommandsTest, AReportIsBuiltOnceThenReusedUntilNewData) {
  const json first = Report({"pagesreq"});
  EXPECT_EQ(first["cache"], "built");
  EXPECT_EQ(first["reference_day"], "2024-03-10");  // the last day with data
  EXPECT_EQ(Values(first, "/index.html"), (std::vector<double>{0, 1, 2, 3, 3}));
  const json second = Report({"pagesreq"});
  EXPECT_EQ(second["cache"], "reused");
  EXPECT_EQ(second["rows"], first["rows"]);

  std::ofstream(folder_ + "logs/b.log") << Line("8.8.8.8", "11/Mar/2024", "/index.html");
  ASSERT_EQ(Velmora({"-w", folder_, "parse"}).status, 0);
  const json after = Report({"pagesreq"});
  EXPECT_EQ(after["cache"], "built");
  EXPECT_EQ(after["reference_day"], "2024-03-11");
  EXPECT_EQ(Values(after, "/index.html"), (std::vector<double>{1, 0, 3, 4, 4}));
  // Another filter, date or period is another result.
  EXPECT_EQ(Report({"pagesreq", "--weeks", "1"})["cache"], "built");
  EXPECT_EQ(Report({"pagesreq", "--date", "2024-03-05"})["cache"], "built");
  EXPECT_EQ(Values(Report({"pagesreq", "--date", "2024-03-05"}), "/index.html"),
            (std::vector<double>{1, 0, 2, 2, 2}));
}

TEST_F(ReportCommandsTest, CountriesAgreeWithTheStoredVisits) {
  std::map<std::string, double> visits_by_country_index;
  for (const std::string& line : Lines(Velmora({"-w", folder_, "dump", "Sessions"}).out)) {
    const json visit = json::parse(line);
    if (visit["flag"] != 0)
      visits_by_country_index[std::to_string(visit["country"].get<int>())] += 1;
  }
  const json countries = Report({"countries", "--weeks", "52"});
  double total = 0;
  for (const json& row : countries["rows"]) total += row["values"][5].get<double>();
  double stored = 0;
  for (const auto& [country, count] : visits_by_country_index) stored += count;
  EXPECT_EQ(total, stored);
  EXPECT_EQ(countries["rows"].size(), visits_by_country_index.size());
  EXPECT_EQ(countries["chart"]["title"], "Countries (Week)");
  // A quick filter on one country leaves only its row.
  const std::string first_country = countries["rows"][0]["cells"][0];
  const json one =
      Report({"countries", "--weeks", "52", "--filter", "country:equals:" + first_country});
  ASSERT_EQ(one["rows"].size(), 1u);
  EXPECT_EQ(one["rows"][0]["cells"][0], first_country);
}

// The Custom column of four lists, counted again from what `velmora dump` prints.
TEST_F(ReportCommandsTest, ListsAgreeWithTheDumpedTables) {
  auto texts = [&](const std::string& table) {
    std::map<int, json> by_id;
    for (const std::string& line : Lines(Velmora({"-w", folder_, "dump", table}).out)) {
      const json record = json::parse(line);
      by_id[record["id"].get<int>()] = record;
    }
    return by_id;
  };
  const auto resources = texts("Resources"), pages = texts("Pages"), agents = texts("UserAgents"),
             browsers = texts("Browsers"), referrers = texts("Referers"),
             domains = texts("RefDomains");
  std::map<std::string, std::map<std::string, double>> expected;  // report -> key -> Custom
  for (const auto& [id, visit] : texts("Sessions")) {
    if (visit["flag"] == 0) continue;
    const int path = visit["page_path"];
    if (path >= 0) {
      const json& list = pages.at(path)["values"];
      for (size_t i = 1; i < list.size(); ++i) {
        expected["pagesreq"][resources.at(list[i].get<int>())["text"]] += 1;
      }
      const int browser = agents.at(visit["page_user_agent"].get<int>())["browser"];
      expected["browsers"][browsers.at(browser)["text"]] += 1;
    }
    const int domain = referrers.at(visit["referrer"].get<int>())["domain"];
    expected["refservers"][domains.at(domain)["text"]] += 1;
  }
  for (const auto& [report, counts] : expected) {
    std::map<std::string, double> shown;
    const json shown_report = Report({report, "--weeks", "52"});
    for (const json& row : shown_report["rows"]) {
      shown[row["cells"][0]] = row["values"][5];
    }
    EXPECT_EQ(shown, counts) << report;
  }
}

// The summary against the log it came from (requests, errors, bytes) and the stored visits.
TEST_F(CliTest, TrafficSummaryAgreesWithTheLogAndTheVisits) {
  const std::string folder = NewWorkspace();
  auto line = [](const std::string& client, const std::string& day, const std::string& path,
                 int status, int bytes, const std::string& agent = "Mozilla/5.0 Firefox/120.0") {
    return client + " - - [" + day + ":10:00:00 +0000] \"GET " + path + " HTTP/1.1\" " +
           std::to_string(status) + " " + std::to_string(bytes) + " \"-\" \"" + agent + "\"\n";
  };
  std::ofstream(folder + "logs/a.log")
      << line("81.2.69.160", "01/Mar/2024", "/index.html", 200, 1000)
      << line("8.8.8.8", "09/Mar/2024", "/index.html", 200, 2000)
      << line("8.8.8.8", "09/Mar/2024", "/nope.html", 404, 300)
      << line("8.8.4.4", "10/Mar/2024", "/about.html", 500, 400)
      << line("66.249.66.1", "10/Mar/2024", "/robots.txt", 200, 50,
              "Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)");
  ASSERT_EQ(Velmora({"-w", folder, "parse"}).status, 0);
  const auto r = Velmora({"-w", folder, "report", "traffic", "--format", "json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const json summary = json::parse(r.out);
  auto values = [&](const std::string& label) {
    std::vector<double> v;
    for (const json& row : summary["rows"]) {
      if (row["cells"][0] != label || row["values"][1].is_null()) continue;
      for (size_t i = 1; i < row["values"].size(); ++i) v.push_back(row["values"][i]);
    }
    return v;
  };
  // Today is 10 March, Yesterday 9 March; the Week holds both, the 4 Weeks all of it.
  EXPECT_EQ(values("Requests"), (std::vector<double>{2, 2, 4, 5, 5}));
  EXPECT_EQ(values("Client Errors"), (std::vector<double>{0, 1, 1, 1, 1}));
  EXPECT_EQ(values("Server Errors"), (std::vector<double>{1, 0, 1, 1, 1}));
  EXPECT_EQ(values("Outgoing Traffic"), (std::vector<double>{450, 2300, 2750, 3750, 3750}));
  EXPECT_EQ(values("Spider Requests"), (std::vector<double>{1, 0, 1, 1, 1}));

  std::map<std::string, double> visits_by_day;
  for (const std::string& text : Lines(Velmora({"-w", folder, "dump", "Sessions"}).out)) {
    const json visit = json::parse(text);
    if (visit["flag"] == 0) continue;
    const auto first = visit["first_request_time"].get<uint64_t>();
    visits_by_day[std::to_string(first / 864000000000ULL)] += 1;
  }
  const double today = 154'566;  // days from 1601-01-01 to 2024-03-10
  auto on = [&](double day) { return visits_by_day[std::to_string(static_cast<uint64_t>(day))]; };
  double all = 0;
  for (const auto& [day, count] : visits_by_day) all += count;
  EXPECT_EQ(values("Visits"),
            (std::vector<double>{on(today), on(today - 1), on(today) + on(today - 1), all, all}));
  EXPECT_EQ(all, 3);
}

TEST_F(ReportCommandsTest, TableAndCsvShowTheSameRows) {
  const auto table = Velmora({"-w", folder_, "report", "refservers"});
  EXPECT_EQ(table.status, 0);
  EXPECT_NE(table.err.find("Report generation time: "), std::string::npos);
  const auto lines = Lines(table.out);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Referring Servers");
  EXPECT_EQ(lines[1].substr(0, 11), "Server Name");
  const auto csv = Velmora({"-w", folder_, "report", "refservers", "--format", "csv"});
  EXPECT_EQ(Lines(csv.out)[0], "Server Name,Today,Yesterday,Week,4 Weeks,Custom\r");
  EXPECT_EQ(Lines(csv.out).size(), lines.size() - 1);
  EXPECT_EQ(csv.err, "");
}

TEST_F(ReportCommandsTest, SaveKeepsTheFilterBar) {
  Report({"pagesreq", "--weeks", "4", "--ip", "10.0.0.0/8"});
  json settings = json::parse(Velmora({"-w", folder_, "settings", "show"}).out);
  EXPECT_EQ(settings["filter-bar"]["custom-weeks"], 13);
  EXPECT_TRUE(Report({"pagesreq", "--weeks", "4", "--ip", "10.0.0.0/8", "--save"})["rows"].empty());
  settings = json::parse(Velmora({"-w", folder_, "settings", "show"}).out);
  EXPECT_EQ(settings["filter-bar"]["custom-weeks"], 4);
  EXPECT_EQ(settings["filter-bar"]["ip-filter"], "10.0.0.0/8");
  EXPECT_TRUE(Report({"pagesreq"})["rows"].empty());  // the saved address filter holds
  EXPECT_FALSE(Report({"pagesreq", "--ip", ""})["rows"].empty());
}

TEST_F(ReportCommandsTest, MisuseIsRefusedWithTheChoices) {
  struct Case {
    std::vector<std::string> args;
    std::string says;
  };
  const std::vector<Case> cases = {
      {{"report", "nope"}, "reports include pagesreq"},
      {{"report", "pagesreq", "--filter", "colour:equals:red"},
       "the targets are referrer, ref-domain"},
      {{"report", "pagesreq", "--filter", "page:like:/a"}, "the operations are equals, not-equals"},
      {{"report", "pagesreq", "--filter", "page"}, "TARGET:OPERATION:VALUE"},
      {{"report", "pagesreq", "--date", "2024-02-30"}, "YYYY-MM-DD"},
      {{"report", "pagesreq", "--weeks", "0"}, "1 to 5200 weeks"},
      {{"report", "pagesreq", "--days", "4"}, "1, 2 or 3 days"},
      {{"report", "pagesreq", "--sort", "month"}, "today, yesterday, week, 4weeks, custom"},
      {{"report", "pagesreq", "--saved-filter", "Mine"}, "no saved filter is named 'Mine'"},
      {{"report", "pagesreq", "--format", "xml"}, "table, csv, json"},
      {{"chart", "pagesreq", "--width", "0"}, "3 to 4096 pixels wide"},
      {{"chart", "pagesreq", "--width", "-768"}, "3 to 4096 pixels wide"},
      {{"chart", "pagesreq", "--width", "100000"}, "3 to 4096 pixels wide"},
      {{"chart", "pagesreq", "--sort", "month"}, "today, yesterday, week, 4weeks, custom"},
      {{"chart", "nope"}, "reports include pagesreq"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"-w", folder_};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto r = Velmora(args);
    EXPECT_EQ(r.status, 2) << c.args[1] << " " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
}

// Width and height from a PNG file's header.
std::pair<int, int> PngSize(const std::string& png) {
  const auto u32 = [&](size_t at) {
    return static_cast<int>(
        static_cast<uint8_t>(png[at]) << 24 | static_cast<uint8_t>(png[at + 1]) << 16 |
        static_cast<uint8_t>(png[at + 2]) << 8 | static_cast<uint8_t>(png[at + 3]));
  };
  return png.size() < 24 ? std::pair{0, 0} : std::pair{u32(16), u32(20)};
}

// Only the ranked lists draw charts, and lists of one cache draw them alike: one report per cache.
TEST_F(ReportCommandsTest, EveryKindOfChartSavesOneThatPngcheckAccepts) {
  const json tree = json::parse(Velmora({"reports", "--format", "json"}).out);
  int charts = 0;
  std::set<std::string> caches;
  for (const json& report : tree) {
    if (report["id"].is_null()) continue;
    if (report["kind"] == "list" && !caches.insert(report["cache"].get<std::string>()).second) {
      continue;
    }
    if (report["kind"] != "list" && !caches.insert("not a list").second) continue;
    const std::string id = report["id"];
    const std::string file = home_ / (id + ".png");
    const auto r = Velmora({"-w", folder_, "chart", id, "-o", file, "--weeks", "52"});
    if (r.status == 1) {
      EXPECT_NE(r.err.find("has no chart"), std::string::npos) << id << ": " << r.err;
      continue;
    }
    ASSERT_EQ(r.status, 0) << id << ": " << r.err;
    EXPECT_EQ(r.out, file + "\n");
    EXPECT_EQ(PngSize(ReadFile(file)), std::pair(768, 256)) << id;
    const auto checked = testing::RunProgram("/usr/bin/pngcheck", {file});
    EXPECT_EQ(checked.status, 0) << id << ": " << checked.out << checked.err;
    ++charts;
  }
  EXPECT_GE(charts, 10);  // pages, referrers, countries, browsers, ...
}

TEST_F(ReportCommandsTest, ChartsFollowTheReportsOptionsAndNameTheirFile) {
  // Without -o the chart is the report id + "_graph.png" in the current folder.
  const auto here =
      testing::RunProgram("/bin/sh",
                          {"-c", "cd \"$1\" && exec \"$0\" -w \"$2\" chart pagesreq --width 600",
                           VELMORA_BIN, home_.str(), folder_},
                          Environment());
  ASSERT_EQ(here.status, 0) << here.err;
  EXPECT_EQ(here.out, "pagesreq_graph.png\n");
  EXPECT_EQ(PngSize(ReadFile(home_ / "pagesreq_graph.png")), std::pair(600, 200));

  // The period and filter options are the report's: a filter that leaves no visit leaves no chart.
  const auto none =
      Velmora({"-w", folder_, "chart", "pagesreq", "-o", home_ / "x.png", "--ip", "10.0.0.0/8"});
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("'Requested Pages' has no chart: the report has no rows"),
            std::string::npos)
      << none.err;
  EXPECT_FALSE(std::filesystem::exists(home_ / "x.png"));

  const auto unwritable =
      Velmora({"-w", folder_, "chart", "pagesreq", "-o", home_ / "missing/chart.png"});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("Cannot create"), std::string::npos) << unwritable.err;
}

}  // namespace
}  // namespace velmora
