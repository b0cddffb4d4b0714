// Zero-terminated byte strings in fixed buffers.
#pragma once

#include <stddef.h>

// Adds text to the zero-terminated text in buffer, never past its size.
void AppendText(char *buffer, size_t size, const char *text);

// Adds a number in decimal.
void AppendNumber(char *buffer, size_t size, int number);
