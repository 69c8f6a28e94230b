#pragma once
// Reads an extended dialog template (DLGTEMPLATEEX) as it is stored in a
// program's resources, without creating the dialog.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct TemplateName {
    bool isOrdinal = false;
    uint16_t ordinal = 0;
    std::wstring text;  // when not an ordinal
};

struct TemplateItem {
    uint32_t exStyle = 0;
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint32_t id = 0;
    TemplateName windowClass;  // ordinals 0x80 button, 0x81 edit, 0x82 static, 0x83 list box
    TemplateName title;
};

struct DialogTemplate {
    uint32_t exStyle = 0;
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    TemplateName menu;
    TemplateName windowClass;
    std::wstring title;
    uint16_t pointSize = 0;
    std::wstring typeface;
    std::vector<TemplateItem> items;
};

// False when the bytes are not a well-formed extended template.
bool ParseDialogTemplate(const void* data, size_t size, DialogTemplate& out);
