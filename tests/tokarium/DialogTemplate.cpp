#include "tests/tokarium/DialogTemplate.h"

#include <cstring>

namespace {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool Word(uint16_t& value) { return Copy(&value, 2); }
    bool Dword(uint32_t& value) { return Copy(&value, 4); }
    bool Short(int16_t& value) { return Copy(&value, 2); }
    bool Byte(uint8_t& value) { return Copy(&value, 1); }

    bool String(std::wstring& text)
    {
        text.clear();
        for (;;) {
            uint16_t c;
            if (!Word(c))
                return false;
            if (c == 0)
                return true;
            text.push_back(static_cast<wchar_t>(c));
        }
    }

    bool Name(TemplateName& name)
    {
        uint16_t first;
        if (!Word(first))
            return false;
        if (first == 0x0000) {
            name = TemplateName();
            return true;
        }
        if (first == 0xFFFF) {
            name.isOrdinal = true;
            return Word(name.ordinal);
        }
        name.isOrdinal = false;
        name.text.assign(1, static_cast<wchar_t>(first));
        std::wstring rest;
        if (!String(rest))
            return false;
        name.text += rest;
        return true;
    }

    bool AlignToDword()
    {
        size_t aligned = (m_offset + 3) & ~static_cast<size_t>(3);
        if (aligned > m_size)
            return false;
        m_offset = aligned;
        return true;
    }

    bool Skip(size_t count)
    {
        if (count > m_size - m_offset)
            return false;
        m_offset += count;
        return true;
    }

private:
    bool Copy(void* out, size_t count)
    {
        if (count > m_size - m_offset)
            return false;
        memcpy(out, m_data + m_offset, count);
        m_offset += count;
        return true;
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_offset = 0;
};

bool ParseItem(Reader& in, TemplateItem& item)
{
    uint32_t helpId;
    uint16_t extraCount;
    return in.AlignToDword() && in.Dword(helpId) && in.Dword(item.exStyle) && in.Dword(item.style)
        && in.Short(item.x) && in.Short(item.y) && in.Short(item.cx) && in.Short(item.cy)
        && in.Dword(item.id) && in.Name(item.windowClass) && in.Name(item.title) && in.Word(extraCount)
        && in.Skip(extraCount);
}

}  // namespace

bool ParseDialogTemplate(const void* data, size_t size, DialogTemplate& out)
{
    Reader in(static_cast<const uint8_t*>(data), size);
    uint16_t version, signature, count;
    uint32_t helpId;
    if (!in.Word(version) || !in.Word(signature) || version != 1 || signature != 0xFFFF)
        return false;
    if (!in.Dword(helpId) || !in.Dword(out.exStyle) || !in.Dword(out.style) || !in.Word(count)
        || !in.Short(out.x) || !in.Short(out.y) || !in.Short(out.cx) || !in.Short(out.cy)
        || !in.Name(out.menu) || !in.Name(out.windowClass) || !in.String(out.title))
        return false;
    if (out.style & (DS_SETFONT | DS_SHELLFONT)) {
        uint16_t weight;
        uint8_t italic, charset;
        if (!in.Word(out.pointSize) || !in.Word(weight) || !in.Byte(italic) || !in.Byte(charset)
            || !in.String(out.typeface))
            return false;
    }
    out.items.resize(count);
    for (TemplateItem& item : out.items)
        if (!ParseItem(in, item))
            return false;
    return true;
}
