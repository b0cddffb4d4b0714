// The user manual: written into "生命手册.txt" in the start-up directory and
// opened with the shell whenever the user asks for it.
#pragma once

#include "common/platform.h"

extern const char MANUAL_FILE_NAME[];

void WriteManual();
void OpenManual(WindowRef owner);
