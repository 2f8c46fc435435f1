// The record-completion callbacks of a parse run, built from a workspace's resource rules and
// log filters. Each callback owns a copy of what it applies, so the options outlive the
// settings they were made from and later edits never reach a run under way; the callbacks keep
// no state between calls and may be called from the parse worker thread.
#pragma once

#include <memory>
#include <span>

#include "analysis/rules/filter_types.h"
#include "parsing/records/record_completion.h"

namespace velmora {

// The rules as ParseOptions::resource_rules. Never empty: a workspace without rules classes
// every request 0x200, which an empty callback (the new-workspace rules) would not. With a
// tally, the callback counts the requests that fell through to a catch-all and are no page.
ResourceRulesFn MakeResourceRulesFn(std::span<const ResourceMask> masks,
                                    std::shared_ptr<CompletionTally> tally = nullptr);

// The filters as ParseOptions::log_filters: empty when "Enable Filters" is off or there are no
// filters, so that completion takes the rules' class unchanged.
LogFiltersFn MakeLogFiltersFn(std::span<const LogFilter> filters, bool filters_enabled);

// Both callbacks into `options`, leaving its other fields alone; the rules count into its tally.
void SetRequestClassifiers(std::span<const ResourceMask> masks, std::span<const LogFilter> filters,
                           bool filters_enabled, ParseOptions& options);

}  // namespace velmora
