#include "service/response_scanning.h"

#include "service/text_at_wire.h"

const char kInvalidKeyText[] = "Invalid key. Please check your key and try again";

bool ApplyErrorMessageRule(const CString& answer, CString& message) {
    const int e = answer.Find("error\"", 0);
    if (e == -1) return false;
    const int m = answer.Find("message", e);
    if (m == -1) return false;
    // Escapes are read only once the rule has cut the message out: an
    // escaped quote or colon is part of the message, not punctuation.
    message = ProtectEscapes(answer.Mid(m));
    message.Remove("message");
    message.Remove("\"");
    message.Remove(":");
    message.Remove("}");
    message = DecodeAnswerText(message);
    return true;
}

CString ApplyTokenErrorRule(const CString& answer) {
    CString copy = ProtectEscapes(answer);
    copy.Remove("{");
    copy.Remove("}");
    CString message = copy.Mid(copy.Find("message", 0));
    message.Remove("message");
    message.Remove("\"");
    message.Remove(":");
    message = DecodeAnswerText(message);
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
    // An escaped quote is kept as an escape (no quote in it), so it neither
    // ends a value nor is taken out with the quotes; every key and value is
    // read from its escapes and UTF-8 once it has been cut out.
    const CString text = ProtectEscapes(answer);

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
            const CString value = keep_whole_value ? field.Mid(field.Find(":", 0) + 1) : parts[1];
            object.push_back({DecodeAnswerText(parts[0]), DecodeAnswerText(value)});
        }
        objects.push_back(object);
    }
    return objects;
}
