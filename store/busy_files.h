// File operations on the data files that wait out another program holding a
// file for a moment. On Windows, virus scanners, the search indexer and sync
// clients open freshly written files briefly; meanwhile opening, moving or
// replacing them fails with a sharing or access violation. Each load and each
// save may wait about a second in all, in growing pauses, and then fails as
// before; only those errors are waited out, and never on a read-only file or
// a folder, which deny access for good.
#pragma once

#include "common/platform.h"

// A load or a save begins: it may wait the whole time again.
void StartFileWork();

Stream *OpenWhenFree(const char *path, const char *mode);
bool ReplaceWhenFree(const char *from, const char *to);
bool MoveToUnusedNameWhenFree(const char *from, const char *to);
bool DeleteWhenFree(const char *path);
// Opened for appending, a missing file is made empty and a present one keeps
// its bytes.
bool CreateEmptyWhenFree(const char *path);
