#pragma once
// Base64 decoding, standard alphabet with = padding. There is no encoder.

#include <cstddef>

// (textLength / 4) * 3.
size_t base64DecodedSize(size_t textLength);
// Decodes four characters into three octets at output; returns how many of
// them the group yields (3, 2 or 1, 0 for "x==="), or -1 for a character
// outside the alphabet.
int base64DecodeQuantum(unsigned char* output, const char* quantum);
// Decodes a NUL-terminated text into output, which holds at least
// base64DecodedSize(strlen(text)) octets; returns the count or -1. A text
// whose length is not a multiple of four fails.
long base64Decode(unsigned char* output, const char* text);
// A new buffer (free it with free) with the decoded octets and a NUL after
// them, or null on failure. decodedCount, when given, receives the count.
unsigned char* base64DecodeAlloc(const char* text, size_t* decodedCount = nullptr);
