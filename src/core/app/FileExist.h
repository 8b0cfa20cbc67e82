#pragma once
// Existence tests that never raise and change nothing on disk.
#include <QString>

namespace app {

// kind 0: a regular file; 1: a folder (with or without a trailing separator); 2: a drive or
// volume (a mount point on POSIX); any other kind: false.
bool PathExists(const QString& path, int kind);

// True when the length of the file can be read: an existing regular file, even of length 0.
// False for a folder, an empty or malformed path, or no access.
bool FileIsPresent(const QString& path);

} // namespace app
