#include "service/code_page.h"

#include <windows.h>

#include <vector>

std::u32string AnsiToUnicode(const std::string& ansi) {
    std::u32string text;
    if (ansi.empty()) return text;
    const int size = static_cast<int>(ansi.size());
    const int wide_size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
    if (wide_size <= 0) return text;
    std::vector<wchar_t> wide(static_cast<size_t>(wide_size));
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), wide_size);
    for (size_t i = 0; i < wide.size(); ++i) {
        const char32_t c = static_cast<char16_t>(wide[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size()) {
            const char32_t low = static_cast<char16_t>(wide[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                text += 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
                continue;
            }
        }
        text += c;
    }
    return text;
}

namespace {

// UTF-16 of the text; beyond U+FFFF either a surrogate pair or, for a code
// page that cannot hold such a character anyway, one replacement character,
// so it becomes one "?" and not two.
std::vector<wchar_t> Utf16(const std::u32string& text, bool pairs) {
    std::vector<wchar_t> wide;
    wide.reserve(text.size());
    for (const char32_t c : text) {
        if (c >= 0x10000 && c <= 0x10FFFF && pairs) {
            wide.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
            wide.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            const bool unpaired = c > 0xFFFF || (c >= 0xD800 && c <= 0xDFFF);
            wide.push_back(static_cast<wchar_t>(unpaired ? 0xFFFD : c));
        }
    }
    return wide;
}

}  // namespace

std::string UnicodeToAnsi(const std::u32string& text) {
    std::string ansi;
    if (text.empty()) return ansi;
    std::vector<wchar_t> wide = Utf16(text, false);
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    const char* fallback = "?";
    int ansi_size =
        WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0, fallback, nullptr);
    if (ansi_size <= 0) {
        // A UTF-8 ANSI code page takes neither flags nor a fallback; it has
        // every character anyway.
        wide = Utf16(text, true);
        flags = 0;
        fallback = nullptr;
        ansi_size = WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                        nullptr);
    }
    if (ansi_size <= 0) return std::string(text.size(), '?');
    ansi.resize(static_cast<size_t>(ansi_size));
    WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()), &ansi[0], ansi_size, fallback,
                        nullptr);
    return ansi;
}
