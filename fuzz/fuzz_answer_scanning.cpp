// The text rules every request applies to an answer: error objects, the
// refused-key answer and the object-list reader.
#include "fuzz_check.h"
#include "service/response_scanning.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CString answer = TextOf(data, size);

    CString message;
    const bool error = ReadServiceError(answer, message);
    // An error is only read from an answer that names one.
    if (error) FUZZ_CHECK(answer.Find("error\"", 0) != -1 || answer.Find("JsonWebTokenError", 0) != -1);
    // What is shown never keeps the quotes and colons the rules take out; only
    // an escape (read once the message is cut out) can stand for one.
    const bool escapes = answer.Find("\\", 0) != -1;
    if (error && message != kInvalidKeyText && !escapes)
        FUZZ_CHECK(message.Find("\"", 0) == -1 && message.Find(":", 0) == -1);
    const CString token = ApplyTokenErrorRule(answer);
    FUZZ_CHECK(token.GetLength() <= answer.GetLength() || token == kInvalidKeyText);

    for (const bool whole : {false, true}) {
        const std::vector<ScannedObject> objects = ReadObjectList(answer, whole);
        FUZZ_CHECK(!objects.empty());  // the text before the first separator is always an object
        for (const ScannedObject& object : objects)
            for (const ScannedField& field : object) {
                if (!escapes) FUZZ_CHECK(field.key.Find(":", 0) == -1);
                FUZZ_CHECK(field.key.GetLength() <= answer.GetLength());
                FUZZ_CHECK(field.value.GetLength() <= answer.GetLength());
            }
    }
    return 0;
}
