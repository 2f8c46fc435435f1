// The retrieval run as a front end with a progress window starts it: ImportLocal (which goes on
// to FTP or Fetchlet as the workspace says) on the worker of a "Retrieving data from server..."
// ProgressDialog, its steps shown as the status and detail texts and the overall bar, Cancel seen
// before each file and inside transfers. The chooser and every question run on the worker.
#pragma once

#include <functional>
#include <string_view>

#include "app/import_operation.h"
#include "platform/progress_dialog.h"

namespace velmora {

inline constexpr std::string_view kRetrievalTitle = "Retrieving data from server...";

struct RetrievalRunOptions {
  ProgressDialog::Options dialog;
  // Runs on the worker before each step it shows; a front end's test seam slows the worker here.
  std::function<void()> before_step;
};

// A run that was cancelled still returns what it did; a failure before the first file (the
// workspace busy, a server that cannot be reached) is the error.
Result<ImportResult> RunRetrieval(Session& session, std::string_view path,
                                  const ImportRequest& request, const ImportChooser& chooser,
                                  ProgressView& view, const RetrievalRunOptions& options = {});

}  // namespace velmora
