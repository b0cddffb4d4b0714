// Opening targets with the shell, and saying which did not open and why: the
// slots' targets and the manual alike.
#pragma once

#include "common/platform.h"

// Hands each path to the shell's default action. One notice names every path
// that did not open, each with the reason in plain words; a question of the
// shell's own that the user turned down is not reported again. Returns how
// many opened.
int OpenTargets(WindowRef owner, const char *const paths[], int count);
