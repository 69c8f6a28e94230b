#pragma once
// Small helpers shared by the CCryptoki sources.

#include "platform/cryptoki/cryptoki.h"

#include <cstring>
#include <vector>

inline CK_ATTRIBUTE MakeAttribute(CK_ATTRIBUTE_TYPE type, const void* value, CK_ULONG length)
{
    CK_ATTRIBUTE attribute;
    attribute.type = type;
    attribute.pValue = const_cast<void*>(value);
    attribute.ulValueLen = length;
    return attribute;
}

// printf's %x and %d take unsigned and int; CK_ULONG is wider on some platforms.
inline unsigned AsHex(CK_ULONG value) { return static_cast<unsigned>(value); }
inline int AsCount(CK_ULONG value) { return static_cast<int>(value); }

// Copies text into a fixed field, cut inside it and always terminated.
inline void CopyText(char* field, size_t fieldSize, const char* text, size_t length)
{
    size_t n = length < fieldSize - 1 ? length : fieldSize - 1;
    const void* nul = std::memchr(text, 0, n);
    if (nul)
        n = static_cast<const char*>(nul) - text;
    std::memcpy(field, text, n);
    field[n] = 0;
}

// A copy of a PIN or PUK for the module, overwritten when it goes. It always
// holds a terminating byte, so an empty secret is a zero-length value and not
// a null pointer.
class SecretText {
public:
    explicit SecretText(const char* text)
    {
        size_t length = text ? std::strlen(text) : 0;
        m_bytes.reserve(length + 1);
        m_bytes.insert(m_bytes.end(), text, text + length);
        m_bytes.push_back(0);
    }
    ~SecretText()
    {
        volatile unsigned char* p = m_bytes.data();
        for (size_t i = 0; i < m_bytes.size(); ++i)
            p[i] = 0;
    }
    CK_UTF8CHAR_PTR Data() { return m_bytes.data(); }
    CK_ULONG Length() const { return static_cast<CK_ULONG>(m_bytes.size() - 1); }

private:
    SecretText(const SecretText&) = delete;
    SecretText& operator=(const SecretText&) = delete;
    std::vector<unsigned char> m_bytes;
};
