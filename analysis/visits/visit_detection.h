// Visit detection: which visit a request belongs to, opening a visit when none fits.
//
// A visit is a run of requests from one client within the session timeout. FindVisit walks the
// Sessions index by last request time from the last visit whose last request is earlier than
// t + timeout back to the first one earlier than t - timeout, newest first, so it only ever
// looks at the visits of that window. A visit matches by its client key; with advanced visit
// detection also by the client's /16 network (a host-name key stands for itself) together with
// one of its user agents, when the request brings no referrer of its own (no referrer or the
// own site) or the visit's referrer. When accelerated, a VisitFinder offers the visits of the
// request's own group in the order of that walk, without walking the others.
//
// DetectVisit then keeps the visit's record true: its first and last request times (moved in
// both time indexes; requests may arrive out of order), the visit flag, the referrer upgrade
// (a visit that came from nowhere or from the own site takes the first search-engine or
// other-site referrer, and an own-site one takes a later referrer of kind "none"), the page and
// download user agents unless those are spiders, the lists, and the byte sums. Byte sums are
// 32-bit and stop at 4 GB rather than wrap; negative byte counts add nothing.
#pragma once

#include <cstdint>

#include "analysis/visit_lists/visit_lists.h"
#include "analysis/visits/request_classifiers.h"
#include "analysis/visits/request_processor_settings.h"
#include "analysis/visits/visit_finder.h"
#include "parsing/records/log_record.h"
#include "storage/workspace_database.h"

namespace velmora {

// The Sessions index by last request time, which the visit search walks.
inline constexpr uint32_t kVisitIndexByLast = 2;

struct VisitDetectionContext {
  WorkspaceDatabase& db;
  const RequestProcessorSettings& settings;
  RequestClassifiers& classifiers;
  VisitListCaches& lists;
  // When set, it stands in for the walk over the index by last request time and is kept in
  // step with it; it must have been built on this database.
  VisitFinder* finder = nullptr;
};

struct FoundVisit {
  int32_t visit = -1;                // Sessions record number, -1 for none
  int32_t last_index_position = -1;  // its position in the index by last request time, -1 when
                                     // not looked up (the finder found it)
};

// The visit `record` belongs to. The record's client address must already be its AddressKey.
FoundVisit FindVisit(WorkspaceDatabase& db, const RequestProcessorSettings& settings,
                     const LogRecord& record);

// Assigns `record` to a visit and returns its number, or -1 when it belongs to none (a spider
// that matches no visit, or a visit that could not be stored). `spider` is the spider index of
// the request's user agent (-1 for a human or no user agent). A client logged by name gets its
// host-name key in the record's client address.
int32_t DetectVisit(VisitDetectionContext& context, LogRecord& record, int32_t spider);

// The session timeout in ticks; a negative number of minutes counts as none.
Ticks SessionTimeout(const RequestProcessorSettings& settings);

// Adds `amount` to a 32-bit byte sum, stopping at 0xFFFFFFFF; a negative amount adds nothing.
uint32_t AddBytesSaturated(uint32_t sum, int32_t amount);

}  // namespace velmora
