// Files and folders written so that a crash or power loss leaves either the old or the new state:
// copies that are on the disk before they are used, and renames whose result is on the disk
// before the caller goes on. The parse run's undo copy of the database is made of these.
#pragma once

#include <cstdint>
#include <string>

#include "core/result.h"

namespace velmora {

// Flushes `path` (a file or a folder) to the disk: a file's data, a folder's entries.
Status SyncPath(const std::string& path);

// Copies every regular file directly in `from` into the folder `to` (created, must not exist)
// and flushes the copies and `to`. Fails with the system's reason and the file it failed on.
Status CopyFolderFilesSynced(const std::string& from, const std::string& to);

// Renames `from` to `to` (which must not exist, or be an empty folder) and flushes the folder
// that holds them.
Status RenameSynced(const std::string& from, const std::string& to);

// Removes `path` and everything below it; a missing path is no failure.
Status RemoveTree(const std::string& path);

// Bytes of all regular files directly in `folder`; 0 when it cannot be read.
uint64_t FolderFilesSize(const std::string& folder);

// "12.5 MB" (tenths rounded up), for messages about disk space.
std::string FormatMegabytes(uint64_t bytes);

// Bytes free for an unprivileged writer on the file system of `path`; 0 when unknown.
uint64_t FreeBytesOn(const std::string& path);

}  // namespace velmora
