#include "common/platform.h"

WindowRef mainWindow = nullptr;
