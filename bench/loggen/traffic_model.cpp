#include "bench/loggen/traffic_model.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <queue>
#include <string>
#include <vector>

#include "bench/loggen/population.h"
#include "bench/loggen/random.h"
#include "bench/loggen/referrers.h"
#include "bench/loggen/session_plans.h"

namespace velmora::loggen {
namespace {

// Visits in progress, ordered by the time of their next request; ties go to the older slot so
// the order never depends on the heap's implementation.
struct Due {
  int64_t time;
  uint32_t slot;
  friend bool operator>(const Due& a, const Due& b) {
    return a.time != b.time ? a.time > b.time : a.slot > b.slot;
  }
};

struct ActiveSession {
  SessionPlan plan;
  int64_t start = 0;
  uint32_t visitor = 0;
  uint32_t next = 0;  // index of the next request in the plan
};

// Day-shaped demand: busiest mid-afternoon UTC, quietest before dawn; averages 1 over a day.
double DailyShape(double seconds) {
  const double hour = std::fmod(seconds, 86400.0) / 3600.0;
  return 1.0 + 0.55 * std::cos(2.0 * std::numbers::pi * (hour - 15.0) / 24.0);
}

// Which kind of client starts a visit: people mostly; spiders make few visits but long ones.
VisitorKind PickKind(Random& rng) {
  const double u = rng.Unit();
  if (u < 0.86) return VisitorKind::kHuman;
  if (u < 0.93) return VisitorKind::kSpider;
  if (u < 0.985) return VisitorKind::kTool;
  return VisitorKind::kScanner;
}

uint32_t DefaultVisitors(uint64_t lines) {
  return static_cast<uint32_t>(std::clamp<uint64_t>(lines / 30, 60, 4'000'000));
}

uint32_t PageCount(uint64_t lines) {
  return static_cast<uint32_t>(std::clamp<uint64_t>(lines / 20, 500, 60'000));
}

}  // namespace

struct TrafficModel::State {
  explicit State(const TrafficOptions& o)
      : options(o),
        root(o.seed),
        site_rng(root.Fork(1)),
        people_rng(root.Fork(2)),
        rng(root.Fork(3)),
        site(site_rng, PageCount(o.lines)),
        population(people_rng, o.visitors != 0 ? o.visitors : DefaultVisitors(o.lines)) {}

  void ScheduleArrival(double after);
  void StartSession(int64_t start);
  void Emit(uint32_t slot, Request& out);

  TrafficOptions options;
  Random root, site_rng, people_rng, rng;
  Site site;
  Population population;

  std::vector<ActiveSession> sessions;
  std::vector<uint32_t> free_slots;
  std::priority_queue<Due, std::vector<Due>, std::greater<Due>> due;

  uint64_t emitted = 0;
  uint64_t pending = 0;  // requests planned but not yet made
  // Lines per visit, averaged over the last twenty or so: visits cut short at the end of the
  // range are shorter, and the rate must rise to make up for them.
  double recent_length = 12.0;
  double next_arrival = 0;
  bool arrivals_open = true;
  std::string referrer;  // scratch for own-site referrers
};

// Steers the arrival rate so that the lines still to be planned fill the time still left.
void TrafficModel::State::ScheduleArrival(double after) {
  const uint64_t committed = emitted + pending;
  if (committed >= options.lines) {
    arrivals_open = false;
    return;
  }
  const double left = std::max(static_cast<double>(options.span_seconds) - after, 1.0);
  const double sessions_left = static_cast<double>(options.lines - committed) / recent_length;
  const double rate = std::max(sessions_left / left * DailyShape(after), 1e-9);
  next_arrival = after + rng.Exponential(1.0 / rate);
  // With few lines the random gaps are long; keep every visit inside the range.
  const auto span = static_cast<double>(options.span_seconds);
  if (next_arrival >= span) next_arrival = after + rng.Unit() * std::max(span - after, 0.0);
  next_arrival = std::min(next_arrival, span - 1.0);
}

void TrafficModel::State::StartSession(int64_t start) {
  const VisitorKind kind = PickKind(rng);
  const uint32_t id = population.Pick(rng, kind, start);
  Visitor& visitor = population.visitor(id);

  uint32_t slot;
  if (free_slots.empty()) {
    slot = static_cast<uint32_t>(sessions.size());
    sessions.emplace_back();
  } else {
    slot = free_slots.back();
    free_slots.pop_back();
  }
  ActiveSession& s = sessions[slot];
  PlanSession(rng, site, visitor, s.plan);
  // Never plan past the line count or the end of the range: the last visits are cut short, as
  // in a log file rotated at midnight. The first request always fits (start < span).
  auto& requests = s.plan.requests;
  const uint64_t room = options.lines - emitted - pending;
  if (requests.size() > room) requests.resize(room);
  while (requests.size() > 1 && start + requests.back().offset >= options.span_seconds) {
    requests.pop_back();
  }
  s.start = start;
  s.visitor = id;
  s.next = 0;
  pending += s.plan.requests.size();
  recent_length += (static_cast<double>(requests.size()) - recent_length) * 0.05;
  const int64_t last = start + s.plan.requests.back().offset;
  visitor.free_at = last + 1800 + rng.Between(60, 4 * 3600);
  due.push({start + s.plan.requests[0].offset, slot});
}

void TrafficModel::State::Emit(uint32_t slot, Request& out) {
  ActiveSession& s = sessions[slot];
  const PlannedRequest& p = s.plan.requests[s.next];
  const Visitor& v = population.visitor(s.visitor);
  const Resource& r = site.resource(p.resource);

  out.time = s.start + p.offset;
  // Workers finish out of order: now and then a line carries an earlier start time.
  if (rng.Below(100) == 0) out.time = std::max<int64_t>(out.time - rng.Between(1, 5), 0);
  out.client_address = v.address;
  out.client_host = population.HostNameOf(v);
  out.user = s.plan.with_user ? population.UserOf(v) : std::string_view();
  out.method = p.method == Method::kGet ? "GET" : p.method == Method::kHead ? "HEAD" : "POST";
  out.resource = &r;
  out.status = p.status;
  out.server_port = OwnHostVariants()[s.plan.host_variant].starts_with("https") ? 443 : 80;
  out.win32_status = p.status == 404 ? 2 : p.status == 403 ? 5 : 0;
  if (r.kind == ResourceKind::kDownload && p.status == 200 && p.bytes < r.size) {
    out.win32_status = 64;  // the client went away
  }
  out.bytes_sent = p.bytes;
  out.user_agent = population.AgentOf(v);
  if (p.referrer == kNoReferrer) {
    out.referrer = {};
  } else if (p.referrer == kEntryReferrer) {
    out.referrer = s.plan.entry_referrer;
  } else {
    referrer = OwnHostVariants()[s.plan.host_variant];
    referrer += site.resource(p.referrer).url;
    out.referrer = referrer;
  }
  out.bytes_received = static_cast<uint32_t>(180 + r.url.size() + out.user_agent.size() +
                                             out.referrer.size() + rng.Below(600));
  out.time_taken_ms = static_cast<uint32_t>(
      rng.Between(1, 40) + p.bytes * uint64_t{1000} / std::max<uint32_t>(s.plan.bandwidth, 1));
  out.http10 = v.http10;

  --pending;
  ++emitted;
  if (++s.next < s.plan.requests.size()) {
    due.push({s.start + s.plan.requests[s.next].offset, slot});
  } else {
    free_slots.push_back(slot);
  }
}

TrafficModel::TrafficModel(const TrafficOptions& options)
    : state_(std::make_unique<State>(options)) {
  state_->ScheduleArrival(0.0);
}

TrafficModel::~TrafficModel() = default;

const Site& TrafficModel::site() const { return state_->site; }

bool TrafficModel::Next(Request& out) {
  State& st = *state_;
  if (st.emitted >= st.options.lines) return false;
  for (;;) {
    const auto arrival = static_cast<int64_t>(st.next_arrival);
    if (st.arrivals_open && (st.due.empty() || arrival <= st.due.top().time)) {
      st.StartSession(arrival);
      st.ScheduleArrival(st.next_arrival);
      continue;
    }
    if (st.due.empty()) return false;  // cannot happen while lines are owed; kept for safety
    const uint32_t slot = st.due.top().slot;
    st.due.pop();
    st.Emit(slot, out);
    return true;
  }
}

}  // namespace velmora::loggen
