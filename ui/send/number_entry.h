// What the fax-number field's text means when the add button or the send
// button takes it.
#pragma once

#include "framework/cstring.h"

// The text without blanks, hyphens and parentheses.
CString StripNumber(const CString& text);

enum class NumberFieldVerdict {
    Ignore,   // nothing to take (send button only)
    Empty,    // "Enter Fax Number" (add button only)
    Invalid,  // "Invalid Fax Number"
    Add,      // append the trimmed text as a typed number
};

// For the add button: an empty field asks for a number.
NumberFieldVerdict CheckNumberForAdd(const CString& trimmed);
// For the send button: a field with nothing but blanks, hyphens and
// parentheses (an untouched mask) is passed over.
NumberFieldVerdict CheckNumberForSend(const CString& trimmed);

// A fax number has at least this many characters once stripped.
constexpr int kMinimumNumberLength = 10;
