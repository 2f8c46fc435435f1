// Which answers a prompt offers: what every Prompter checks a reply against before it returns it.
#pragma once

#include "platform/prompter.h"

namespace velmora {

// Whether `answer` is one of those `buttons` offer.
bool AnswerFits(PromptButtons buttons, PromptAnswer answer);

}  // namespace velmora
