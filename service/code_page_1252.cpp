#include "service/code_page.h"

namespace {

// 0x80 to 0x9F; the rest of the code page is Latin-1.
const char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char FromUnicode(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

}  // namespace

std::u32string AnsiToUnicode(const std::string& ansi) {
    std::u32string text;
    text.reserve(ansi.size());
    for (const char ch : ansi) {
        const unsigned char c = static_cast<unsigned char>(ch);
        text += (c >= 0x80 && c < 0xA0) ? kHighControls[c - 0x80] : static_cast<char32_t>(c);
    }
    return text;
}

std::string UnicodeToAnsi(const std::u32string& text) {
    std::string ansi;
    ansi.reserve(text.size());
    for (const char32_t c : text) ansi += FromUnicode(c);
    return ansi;
}
