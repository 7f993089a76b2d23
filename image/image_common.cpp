#include "image/image.h"
#include "image/image_core.h"
#include "image/image_internal.h"

#include "core/i18n.h"
#include "platform/message_box.h"

unsigned char imageErrorPopups = 1;

void setImageErrorPopups(unsigned char flag) { imageErrorPopups = flag; }

void reportImageError(const char* text)
{
    if (imageErrorPopups)
        showMessageBox(tr("Error"), tr(text));
}

const char* imageStatusMessage(ImageStatus status)
{
    switch (status) {
    case IMAGE_OK:
        return "";
    case IMAGE_OUT_OF_MEMORY:
        return "Out of memory.";
    case IMAGE_UNKNOWN_FORMAT:
        return "Unknown DIB file format.";
    case IMAGE_CONVERSION_ERROR:
        return "Image file conversion error.";
    case IMAGE_INVALID_RGB:
        return "Invalid rgb file.";
    }
    return "";
}

std::string wideToUtf8(const wchar_t* name)
{
    std::string out;
    if (!name)
        return out;
    auto append = [&out](std::uint32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | cp >> 18);
            out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    };
    for (const wchar_t* p = name; *p; ++p) {
        const auto unit = static_cast<std::uint32_t>(*p);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            const auto low = static_cast<std::uint32_t>(p[1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                append(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++p;
                continue;
            }
            append(0xFFFD);
        } else if ((unit >= 0xDC00 && unit <= 0xDFFF) || unit > 0x10FFFF) {
            append(0xFFFD);
        } else {
            append(unit);
        }
    }
    return out;
}
