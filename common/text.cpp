#include "common/text.h"

#include <string.h>

void AppendText(char *buffer, size_t size, const char *text)
{
    size_t used = strnlen(buffer, size - 1);
    size_t length = strnlen(text, size - 1 - used);
    memcpy(buffer + used, text, length);
    buffer[used + length] = 0;
}

void AppendNumber(char *buffer, size_t size, int number)
{
    char digits[12];
    char *first = digits + sizeof digits - 1;
    *first = 0;
    unsigned int rest = number < 0 ? 0u - (unsigned int)number : (unsigned int)number;
    do {
        *--first = (char)('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (number < 0)
        *--first = '-';
    AppendText(buffer, size, first);
}
