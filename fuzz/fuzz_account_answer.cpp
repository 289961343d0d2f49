// The account lookup's answer: the name/value pairs that go to the settings
// store and the default cover page.
#include "fuzz_check.h"
#include "service/account_lookup.h"
#include "service/response_scanning.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CString answer = TextOf(data, size);
    CString message;
    ReadServiceError(answer, message);
    // Separators are cut at before any escape is read, so only an escape can
    // leave one in a name or value.
    const bool escapes = answer.Find("\\", 0) != -1;
    for (const SettingPair& pair : ReadAccountPairs(answer)) {
        FUZZ_CHECK(pair.name.GetLength() <= answer.GetLength() && pair.value.GetLength() <= answer.GetLength());
        if (escapes) continue;
        FUZZ_CHECK(pair.name.Find(":", 0) == -1 && pair.name.Find(",", 0) == -1);
        FUZZ_CHECK(pair.value.Find(":", 0) == -1 && pair.value.Find("\"", 0) == -1);
    }
    const CString cover = ReadDefaultCoverPageId(answer);
    if (!escapes) FUZZ_CHECK(cover.Find("\"", 0) == -1);
    FUZZ_CHECK(cover.GetLength() <= answer.GetLength());
    if (!cover.IsEmpty()) FUZZ_CHECK(answer.Find("\"faxDefaultCoverPage\":", 0) != -1);
    return 0;
}
