// The value of a hexadecimal digit, for the readers of hex text (colours,
// RTF escapes, temporary file names).
#pragma once

// 0-15, or -1 when c is not a hexadecimal digit.
inline int AfxHexValue(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
