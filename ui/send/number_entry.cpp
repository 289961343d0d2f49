#include "ui/send/number_entry.h"

CString StripNumber(const CString& text) {
    CString stripped = text;
    for (const char* junk : {" ", "-", "(", ")"}) stripped.Remove(junk);
    return stripped;
}

NumberFieldVerdict CheckNumberForAdd(const CString& trimmed) {
    if (trimmed.IsEmpty()) return NumberFieldVerdict::Empty;
    return StripNumber(trimmed).GetLength() < kMinimumNumberLength ? NumberFieldVerdict::Invalid
                                                                   : NumberFieldVerdict::Add;
}

NumberFieldVerdict CheckNumberForSend(const CString& trimmed) {
    if (trimmed.IsEmpty()) return NumberFieldVerdict::Ignore;
    const CString stripped = StripNumber(trimmed);
    if (stripped.IsEmpty()) return NumberFieldVerdict::Ignore;
    return stripped.GetLength() < kMinimumNumberLength ? NumberFieldVerdict::Invalid : NumberFieldVerdict::Add;
}
