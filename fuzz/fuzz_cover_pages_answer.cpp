// The cover-page listing's answer and the choice of the entry to preselect.
// The first line of the input is the stored default id, the second the last
// chosen name, the rest the answer.
#include "fuzz_check.h"
#include "service/cover_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CString input = TextOf(data, size);
    CStringArray lines;
    SplitText(input, "\n", lines);
    const CString default_id = lines.GetSize() > 2 ? lines[0] : CString();
    const CString last_chosen = lines.GetSize() > 2 ? lines[1] : CString();
    const int body = lines.GetSize() > 2 ? lines[0].GetLength() + lines[1].GetLength() + 2 : 0;
    const CString answer = input.Mid(body);

    CoverPageLists lists;
    CString default_name;
    ReadCoverPageAnswer(answer, default_id, lists, default_name);
    if (!default_name.IsEmpty()) {
        bool listed = false;
        for (const CString& name : lists.names) listed = listed || name == default_name;
        FUZZ_CHECK(listed);
    }

    const CoverPageFill fill = PlanCoverPageFill(lists, default_name, last_chosen);
    FUZZ_CHECK(fill.entries.GetSize() <= lists.names.GetSize() && fill.entries.GetSize() <= lists.ids.GetSize());
    FUZZ_CHECK(fill.selection >= -1 && fill.selection < fill.entries.GetSize());
    for (int start = -1; start <= fill.entries.GetSize(); ++start) {
        const int at = SelectStringIndex(fill.entries, start, last_chosen, -7);
        FUZZ_CHECK(at == -7 || (at >= 0 && at < fill.entries.GetSize()));
    }
    return 0;
}
