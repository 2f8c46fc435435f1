// The 5760-byte SettingsBlock on disk and the scrambling of its two password fields. Encoding
// writes the revision-3 header, every field little-endian at its fixed offset, zeros elsewhere,
// random odd bytes after each password's NUL, and then scrambles the passwords; decoding undoes
// this and refuses anything it could not have written.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/result.h"
#include "workspace/settings.h"
#include "workspace/settings_format.h"

namespace velmora {

using SettingsBlockBytes = std::array<uint8_t, settings_format::kBlockSize>;

// Which known header the block starts with: 1, 2 or 3, or 0 for none of them.
int HeaderRevision(std::span<const uint8_t> bytes);

// Scrambles or unscrambles (the operation is its own inverse) the HTTP and FTP password fields
// in place. The key comes from the header, the workspace name, the server names and the two user
// names as they stand in `block`, so those must hold their final values.
void ScramblePasswords(std::span<uint8_t, settings_format::kBlockSize> block);

// The block as stored, passwords scrambled. `padding_seed` seeds the odd filler after each
// password's NUL. Texts longer than their field are cut to fit; callers validate before.
SettingsBlockBytes EncodeSettingsBlock(const SettingsBlock& block, uint32_t padding_seed);

// Reads a stored block: fails for a header other than revision 3 (revisions 1 and 2 are
// recognised but not read) and for a text field without its NUL.
Result<SettingsBlock> DecodeSettingsBlock(
    std::span<const uint8_t, settings_format::kBlockSize> bytes);

}  // namespace velmora
