// The DLLs an executable imports, read from its import directory.
#pragma once

#include <stddef.h>

// Writes the names, separated by ", ", to names; false when the file is not a
// 64-bit Windows executable this can read.
bool ReadImportedDlls(const char *exePath, char *names, size_t size);

// The file's size in bytes, or -1.
long long FileBytes(const char *path);
