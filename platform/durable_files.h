// Whole-folder file operations for the parse run's undo copy of the database: copies, renames,
// removal, and the flush that puts all of it on the disk at the moments the copy relies on.
#pragma once

#include <cstdint>
#include <string>

#include "core/result.h"

namespace velmora {

// Flushes everything written to the file system that holds `path`: one call where a flush of
// each file would make the journal commit once per file.
Status SyncFileSystemOf(const std::string& path);

// Copies every regular file directly in `from` into the folder `to` (created, must not exist).
// Fails with the system's reason and the file it failed on. Nothing is flushed: the caller
// flushes the file system once when the copy must be on the disk.
Status CopyFolderFiles(const std::string& from, const std::string& to);

// Renames `from` to `to` (which must not exist, or be an empty folder).
Status Rename(const std::string& from, const std::string& to);

// Removes `path` and everything below it; a missing path is no failure.
Status RemoveTree(const std::string& path);

// Bytes of all regular files directly in `folder`; 0 when it cannot be read.
uint64_t FolderFilesSize(const std::string& folder);

// "12.5 MB" (tenths rounded up), for messages about disk space.
std::string FormatMegabytes(uint64_t bytes);

// Bytes free for an unprivileged writer on the file system of `path`; 0 when unknown.
uint64_t FreeBytesOn(const std::string& path);

}  // namespace velmora
