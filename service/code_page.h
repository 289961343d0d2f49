// The program keeps all text 8-bit in the ANSI code page; these two turn such
// text into Unicode and back. On Windows the system's ANSI code page decides;
// elsewhere it is Windows-1252, the code page of the machines we ship to.
#pragma once

#include <string>

// Every byte has a character: the five bytes Windows-1252 leaves undefined
// stand for the control characters of the same number, as on Windows.
std::u32string AnsiToUnicode(const std::string& ansi);

// A character the code page lacks becomes "?": never a look-alike, which
// would put a different name on a fax than the one the service holds.
std::string UnicodeToAnsi(const std::u32string& text);
