// The service answers in JSON; the program reads it as plain text with a few
// substring rules. These functions return what must be shown or read and show
// nothing themselves.
#pragma once

#include "framework/cstring.h"

#include <vector>

struct ScannedField {
    CString key;
    CString value;
};
using ScannedObject = std::vector<ScannedField>;

// An answer carrying an error object ("error\"" and, after it, "message").
// Returns false when the rule does not apply; otherwise fills message.
bool ApplyErrorMessageRule(const CString& answer, CString& message);

// An answer whose key was refused: the message (or the whole answer) without
// braces, quotes and colons, with "JsonWebTokenError" turned into the
// invalid-key text.
CString ApplyTokenErrorRule(const CString& answer);

// The rules of the requests that read account data: the error-message rule,
// then, for an answer naming "JsonWebTokenError", the token error rule. True
// when one of them applies, with the text to show.
bool ReadServiceError(const CString& answer, CString& message);

// Reads a list of objects into their key/value fields, object by object and
// field by field in answer order. keep_whole_value keeps everything after the
// first colon of a field as its value instead of only the next part.
std::vector<ScannedObject> ReadObjectList(const CString& answer, bool keep_whole_value = false);

// JSON's white space between tokens.
inline bool IsJsonBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

extern const char kInvalidKeyText[];
