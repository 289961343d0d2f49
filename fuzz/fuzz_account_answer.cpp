// The account lookup's answer: the name/value pairs that go to the settings
// store and the default cover page.
#include "fuzz_check.h"
#include "service/account_lookup.h"
#include "service/response_scanning.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CString answer = TextOf(data, size);
    CString message;
    ReadServiceError(answer, message);
    const std::vector<SettingPair> pairs = ReadAccountPairs(answer);
    // Separators are cut at before any escape is read, so only an escape can
    // leave one in a name or value (or spell an id's name).
    const bool escapes = answer.Find("\\", 0) != -1;
    // Only an answer that holds both ids, once braces and quotes are gone as
    // the pair rule takes them out, can name the account.
    CString bare = answer;
    for (const char* gone : {"{", "}", "\""}) bare.Remove(gone);
    if (NamesAccount(pairs) && !escapes) FUZZ_CHECK(bare.Find("userId:", 0) != -1 && bare.Find("accountId:", 0) != -1);
    for (const SettingPair& pair : pairs) {
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
