#include "reports/filter/report_filter.h"

namespace velmora {
namespace {

// Equals or Not equals over one value; anything else never holds.
bool Compare(int32_t operation, int64_t value, int32_t number) {
  const bool equal = number != -1 && value == number;
  switch (static_cast<ConditionOperation>(operation)) {
    case ConditionOperation::kEquals:
      return equal;
    case ConditionOperation::kNotEquals:
      return !equal;
    default:
      return false;
  }
}

// Equals or Not equals over a list: "equal" is "occurs in it".
bool CompareMembership(int32_t operation, bool occurs) {
  switch (static_cast<ConditionOperation>(operation)) {
    case ConditionOperation::kEquals:
      return occurs;
    case ConditionOperation::kNotEquals:
      return !occurs;
    default:
      return false;
  }
}

// Whether `number` is among the values of sequence `id` from position `first` on.
bool SequenceHolds(const SequenceTable& table, int32_t id, int32_t number, int32_t first) {
  if (number < 0 || id < 0) return false;
  const SequenceView values = table.Get(id);
  for (int32_t i = first; i < values.size(); ++i) {
    if (values[i] == number) return true;
  }
  return false;
}

// Stored visit lists start with a count word; the entries follow it. A handle below -1 (a list
// still held by a parse run's cache) is no stored list.
bool VisitListHolds(const SequenceTable& table, int32_t handle, int32_t number) {
  return SequenceHolds(table, handle, number, 1);
}

}  // namespace

bool ConditionHolds(const ResolvedCondition& condition, WorkspaceDatabase& db,
                    const SessionRecord& session, const SessionDetailRecord& detail) {
  const int32_t op = condition.operation;
  const int32_t number = condition.number;
  if (op != static_cast<int32_t>(ConditionOperation::kEquals) &&
      op != static_cast<int32_t>(ConditionOperation::kNotEquals)) {
    return false;
  }
  // A visit without a referrer record reads a default record: every number -1 or 0 ("none").
  const auto referrer = [&] { return db.referers().Get(session.referrer); };
  switch (static_cast<ConditionTarget>(condition.target)) {
    case ConditionTarget::kReferrer:
      return Compare(op, session.referrer, number);
    case ConditionTarget::kRefDomain:
      return Compare(op, referrer().domain, number);
    case ConditionTarget::kSearchEngine:
      return Compare(op, referrer().search_engine, number);
    case ConditionTarget::kSearchPhrase:
      return Compare(op, referrer().search_phrase, number);
    case ConditionTarget::kExactPhrase:
      return Compare(op, referrer().exact_phrase, number);
    case ConditionTarget::kSearchWord:
      // Word combinations are the word numbers alone, without a count word.
      return CompareMembership(
          op, SequenceHolds(db.search_phrases(), referrer().search_phrase, number, 0));
    case ConditionTarget::kPage:
      return CompareMembership(op, VisitListHolds(db.pages(), detail.page_path, number));
    case ConditionTarget::kDownload:
      return CompareMembership(op, VisitListHolds(db.downloads(), detail.downloads, number));
    case ConditionTarget::kImage:
      return CompareMembership(op, VisitListHolds(db.images(), detail.images, number));
    case ConditionTarget::kCountry:
      return Compare(op, detail.country & 0xFFFF, number);
  }
  return false;
}

bool VisitPassesFilter(const ActiveReportFilter& filter, WorkspaceDatabase& db, int32_t visit) {
  if (!db.sessions().Has(visit)) return false;
  const SessionDetailRecord detail = db.session_details().Get(visit);
  if (!filter.show_non_visit && detail.flag == 0) return false;
  const SessionRecord session = db.sessions().Get(visit);
  if (filter.address_filter && !InNetwork(session.visitor_address, *filter.address_filter)) {
    return false;
  }
  if (filter.match_mode == kMatchAny) {
    for (const ResolvedCondition& c : filter.conditions) {
      if (ConditionHolds(c, db, session, detail)) return true;
    }
    return false;
  }
  for (const ResolvedCondition& c : filter.conditions) {
    if (!ConditionHolds(c, db, session, detail)) return false;
  }
  return true;
}

}  // namespace velmora
