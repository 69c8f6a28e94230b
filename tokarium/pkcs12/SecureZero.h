#pragma once
// Wipes key material in a way the optimiser may not drop.

#include <cstddef>

inline void secureZero(void* memory, size_t n)
{
    volatile unsigned char* p = static_cast<volatile unsigned char*>(memory);
    while (n--)
        *p++ = 0;
}
