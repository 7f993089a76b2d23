// What the readers are handed before they parse: OBJ and MTL text is read
// as bytes, after a UTF-8 byte-order mark; text with a UTF-16 mark is
// decoded to UTF-8 first; anything with a NUL byte near its start and no
// such mark is no text at all (a picture, an archive) and is refused by
// name rather than read as an empty model.
#include <cstring>
#include <string>

#include "model/glm_internal.h"

namespace {

// How far into a file a NUL byte says "not text".
constexpr std::size_t SNIFFED = 4096;

void appendUtf8(std::string& out, unsigned long code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// UTF-16 code units after the mark as UTF-8; a lone surrogate becomes
// U+FFFD, and an odd last byte is dropped.
void decodeUtf16(const unsigned char* units, std::size_t size, bool bigEndian, std::string& out)
{
    out.clear();
    out.reserve(size / 2 * 3 / 2 + 16);
    auto unit = [&](std::size_t i) {
        return bigEndian ? static_cast<unsigned>(units[i] << 8 | units[i + 1])
                         : static_cast<unsigned>(units[i + 1] << 8 | units[i]);
    };
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        unsigned long code = unit(i);
        if (code >= 0xD800 && code < 0xDC00 && i + 3 < size) {
            const unsigned low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                code = 0xFFFD;
            }
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;
        }
        appendUtf8(out, code);
    }
}

}  // namespace

bool glmTextToRead(const char*& text, std::size_t& size, std::string& decoded)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    if (size >= 2 && ((bytes[0] == 0xFE && bytes[1] == 0xFF) || (bytes[0] == 0xFF && bytes[1] == 0xFE))) {
        decodeUtf16(bytes + 2, size - 2, bytes[0] == 0xFE, decoded);
        text = decoded.data();
        size = decoded.size();
        return true;
    }
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        text += 3;
        size -= 3;
    }
    // An empty text (null, size 0) is a text: memchr must not see a null.
    return size == 0 || !std::memchr(text, 0, size < SNIFFED ? size : SNIFFED);
}
