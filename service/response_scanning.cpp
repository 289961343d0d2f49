#include "service/response_scanning.h"

const char kInvalidKeyText[] = "Invalid key. Please check your key and try again";

bool ApplyErrorMessageRule(const CString& answer, CString& message) {
    const int e = answer.Find("error\"", 0);
    if (e == -1) return false;
    const int m = answer.Find("message", e);
    if (m == -1) return false;
    message = answer.Mid(m);
    message.Remove("message");
    message.Remove("\"");
    message.Remove(":");
    message.Remove("}");
    return true;
}

CString ApplyTokenErrorRule(const CString& answer) {
    CString copy = answer;
    copy.Remove("{");
    copy.Remove("}");
    CString message = copy.Mid(copy.Find("message", 0));
    message.Remove("message");
    message.Remove("\"");
    message.Remove(":");
    if (message.Equals("JsonWebTokenError")) message = kInvalidKeyText;
    return message;
}

bool ReadServiceError(const CString& answer, CString& message) {
    if (ApplyErrorMessageRule(answer, message)) return true;
    if (answer.Find("JsonWebTokenError", 0) == -1) return false;
    message = ApplyTokenErrorRule(answer);
    return true;
}

std::vector<ScannedObject> ReadObjectList(const CString& answer, bool keep_whole_value) {
    CString text = answer;
    text.Remove("\\\"");

    std::vector<ScannedObject> objects;
    CStringArray pieces;
    SplitText(text, "},{", pieces);
    for (const CString& piece : pieces) {
        ScannedObject object;
        CStringArray fields;
        SplitText(piece, ",\"", fields);
        for (CString field : fields) {
            for (const char* junk : {"[", "]", "\"", "{", "}"}) field.Remove(junk);
            CStringArray parts;
            SplitText(field, ":", parts);
            if (parts.GetSize() < 2) continue;
            ScannedField scanned{parts[0], parts[1]};
            if (keep_whole_value) scanned.value = field.Mid(field.Find(":", 0) + 1);
            object.push_back(scanned);
        }
        objects.push_back(object);
    }
    return objects;
}
