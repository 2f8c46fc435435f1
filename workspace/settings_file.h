// The workspace settings file (.stw) as a whole: the scrambled SettingsBlock followed by the
// lists. Decoding trusts nothing in the file: every count is checked against the bytes that
// remain before anything is allocated for it, and every text must end with its NUL inside the
// file, so a short, alien or damaged file is refused rather than half read.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/result.h"
#include "workspace/settings.h"

namespace velmora {

// The file's bytes. `padding_seed` seeds the random filler of the password fields.
std::string EncodeWorkspaceFile(const WorkspaceSettings& settings, uint32_t padding_seed);

// The settings a file holds; the error text says what is wrong (for logs and tests; the user is
// shown the invalid-workspace message).
Result<WorkspaceSettings> DecodeWorkspaceFile(std::span<const uint8_t> bytes);

}  // namespace velmora
