// Text at the wire: each value the readers cut out of an answer is read from
// its escapes and UTF-8 into the ANSI code page; outgoing text becomes UTF-8.
// The input is any bytes, a value as the service might write it.
#include "fuzz_check.h"
#include "service/code_page.h"
#include "service/text_at_wire.h"

#include <cctype>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CString raw = TextOf(data, size);

    // Every escape or UTF-8 sequence gives one character at most: nothing is
    // made up, and no NUL can cut the text short.
    const CString read = DecodeAnswerText(raw);
    FUZZ_CHECK(read.GetLength() <= raw.GetLength());
    FUZZ_CHECK(read.str().find('\0') == std::string::npos);
    FUZZ_CHECK(Utf8ToAnsi(raw).GetLength() <= raw.GetLength());

    // Protecting the escapes changes the writing, never what it says, and
    // leaves no backslash that could pair with a neighbour once the rules
    // have taken punctuation out.
    const CString guarded = ProtectEscapes(raw);
    FUZZ_CHECK(DecodeAnswerText(guarded) == read);
    const std::string& g = guarded.str();
    for (size_t i = g.find('\\'); i != std::string::npos; i = g.find('\\', i + 1)) {
        FUZZ_CHECK(i + 6 <= g.size() && g[i + 1] == 'u');
        for (size_t k = i + 2; k < i + 6; ++k) FUZZ_CHECK(std::isxdigit(static_cast<unsigned char>(g[k])));
    }
    FUZZ_CHECK(g.find('"') == std::string::npos || raw.Find("\"", 0) != -1);

    // Without a backslash and with ASCII only, a value is read as it stands.
    bool plain = raw.Find("\\", 0) == -1;
    for (const char c : raw.str()) plain = plain && static_cast<unsigned char>(c) < 0x80;
    if (plain) FUZZ_CHECK(read == raw);

    // ANSI text survives the way out and back whole.
    FUZZ_CHECK(Utf8ToAnsi(AnsiToUtf8(raw)) == raw);
    FUZZ_CHECK(UnicodeToAnsi(AnsiToUnicode(raw.str())) == raw.str());
    return 0;
}
