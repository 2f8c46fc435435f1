// The retrieval's file chooser in the page: the list of log files with their check boxes (the new
// ones ticked), the options as check boxes preset from the workspace, and for a local folder the
// folder itself, which the page may change (Browse) to have the list made again. The worker waits
// for the choice as for a question; names the page sends back count only when the list offered
// them, so a page can never name a file outside the folder.
#pragma once

#include "app/import_operation.h"
#include "ui/web/page_questions.h"

namespace velmora::web {

// The chooser for a retrieval run of `session`'s workspace (open by the time it is asked). What
// the check boxes and the folder field said goes to `boxes`.
ImportChooser PageChooser(PageQuestions& questions, Session& session, ChooserBoxes& boxes);

}  // namespace velmora::web
