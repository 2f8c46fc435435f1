#include "app/retrieval_run.h"

#include <cstdio>
#include <optional>

namespace velmora {
namespace {

// The file's place and the count of "Reading file %d of %d", for the overall bar.
std::optional<std::pair<int, int>> FilePlace(const std::string& status) {
  int place = 0;
  int count = 0;
  if (std::sscanf(status.c_str(), "Reading file %d of %d", &place, &count) != 2)
    return std::nullopt;
  if (place < 1 || count < place) return std::nullopt;
  return std::make_pair(place, count);
}

}  // namespace

Result<ImportResult> RunRetrieval(Session& session, std::string_view path,
                                  const ImportRequest& request, const ImportChooser& chooser,
                                  ProgressView& view, const RetrievalRunOptions& options) {
  std::optional<Result<ImportResult>> outcome;
  ProgressDialog dialog(
      std::string(kRetrievalTitle),
      [&](ProgressDialog& d) {
        d.SetStatus("Reading file list...", 0);
        std::string last_status;
        const ImportProgress progress = [&](const std::string& status, const std::string& detail) {
          if (options.before_step) options.before_step();
          if (status != last_status) {
            last_status = status;
            const std::optional<std::pair<int, int>> place = FilePlace(status);
            if (place) d.SetFileCount(place->second);
            d.SetStatus(status, place ? place->first - 1 : -1);
            d.SetFileRange(-1);
          }
          d.SetDetail(detail, -1);
          return d.KeepGoing();
        };
        outcome = ImportLocal(session, path, request, chooser, progress);
        d.PostOk();
        return 0;
      },
      options.dialog);
  dialog.RunModal(view, session.prompter());
  // RunModal returns only once the worker has ended, so the outcome is set.
  return std::move(*outcome);
}

}  // namespace velmora
