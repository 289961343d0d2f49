// The fax service reads and writes UTF-8; the program keeps its text in the
// ANSI code page. Text changes form here and nowhere else: on its way out
// (query values, form parts) and as each value is taken out of an answer.
#pragma once

#include "framework/cstring.h"

// ANSI text as UTF-8. ASCII stays byte for byte the same.
CString AnsiToUtf8(const CString& ansi);

// UTF-8 as ANSI text. A character the code page lacks, and every byte that
// is not part of a well-formed sequence, becomes "?"; the text after it is
// read on as usual.
CString Utf8ToAnsi(const CString& utf8);

// One value as the answer's rules cut it out (a JSON string without its
// quotes, or what is left of one): the escapes undone, \uXXXX and surrogate
// pairs included, then read as UTF-8 into ANSI text. A lone surrogate and
// \u0000 become "?"; a backslash that starts no escape is kept as it is.
CString DecodeAnswerText(const CString& raw);

// The same text with every escape written as \uXXXX and every stray
// backslash as \u005C, so the rules that take quotes, colons and braces out
// of an answer can only ever take out the answer's own punctuation: an
// escaped quote stays in its value, to be decoded there.
CString ProtectEscapes(const CString& raw);
