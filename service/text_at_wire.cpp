#include "service/text_at_wire.h"

#include "service/code_page.h"

#include <string>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// One character of UTF-8 from position i, which moves past it. An ill-formed
// sequence gives one replacement character for its longest well-formed
// start, so a stray byte never swallows the character after it.
char32_t NextUtf8(const std::string& text, size_t& i) {
    const unsigned char lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) return lead;
    int need = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    char32_t c = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        c = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        c = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return kReplacement;
    }
    for (int k = 0; k < need; ++k) {
        if (i >= text.size()) return kReplacement;
        const unsigned char next = static_cast<unsigned char>(text[i]);
        if (next < (k == 0 ? low : 0x80) || next > (k == 0 ? high : 0xBF)) return kReplacement;
        c = (c << 6) | (next & 0x3F);
        ++i;
    }
    return c;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The four hex digits of a \u escape starting at i (the backslash), or -1.
long UnicodeEscapeAt(const std::string& text, size_t i) {
    if (i + 6 > text.size() || text[i] != '\\' || text[i + 1] != 'u') return -1;
    long value = 0;
    for (size_t k = i + 2; k < i + 6; ++k) {
        const int digit = HexValue(text[k]);
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

// What a one-letter escape stands for, or 0 when the letter starts none.
char32_t SimpleEscape(char letter) {
    switch (letter) {
    case '"':
        return '"';
    case '\\':
        return '\\';
    case '/':
        return '/';
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    default:
        return 0;
    }
}

// NUL would end the text wherever it goes on as a C string.
std::string ToAnsi(std::u32string text) {
    for (char32_t& c : text)
        if (c == 0) c = kReplacement;
    return UnicodeToAnsi(text);
}

void AppendEscape(std::string& out, unsigned value) {
    static const char hex[] = "0123456789ABCDEF";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += hex[(value >> shift) & 15];
}

}  // namespace

CString AnsiToUtf8(const CString& ansi) {
    std::string out;
    for (const char32_t c : AnsiToUnicode(ansi.str())) AppendUtf8(out, c);
    return CString(out);
}

CString Utf8ToAnsi(const CString& utf8) {
    const std::string& text = utf8.str();
    std::u32string wide;
    for (size_t i = 0; i < text.size();) wide += NextUtf8(text, i);
    return CString(ToAnsi(wide));
}

CString DecodeAnswerText(const CString& raw) {
    const std::string& text = raw.str();
    std::u32string wide;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            wide += NextUtf8(text, i);
            continue;
        }
        if (const char32_t c = SimpleEscape(text[i + 1])) {
            wide += c;
            i += 2;
            continue;
        }
        const long unit = UnicodeEscapeAt(text, i);
        if (unit < 0) {
            wide += '\\';  // no escape: the backslash is text
            ++i;
            continue;
        }
        i += 6;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            const long low = UnicodeEscapeAt(text, i);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                wide += static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 6;
                continue;
            }
        }
        wide += (unit >= 0xD800 && unit <= 0xDFFF) ? kReplacement : static_cast<char32_t>(unit);
    }
    return CString(ToAnsi(wide));
}

CString ProtectEscapes(const CString& raw) {
    const std::string& text = raw.str();
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 1 < text.size() && SimpleEscape(text[i + 1])) {
            AppendEscape(out, static_cast<unsigned>(SimpleEscape(text[i + 1])));
            ++i;
        } else if (UnicodeEscapeAt(text, i) >= 0) {
            out.append(text, i, 6);
            i += 5;
        } else {
            AppendEscape(out, '\\');
        }
    }
    return CString(out);
}
