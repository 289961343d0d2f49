// The embedded country table (name, code, dialling prefix, number mask per
// line) and the few rules around it: command and flag IDs per row, the texts
// of the country menu.
#pragma once

#include "framework/cstring.h"

#include <cstddef>

// Row i of the table has command ID (and flag picture ID) 171 + i.
constexpr unsigned kFirstCountryCommand = 171;
constexpr unsigned kLastCountryCommand = 400;
constexpr unsigned kDefaultCountryCommand = 172;  // USA
// Only the first rows are offered in the menu.
constexpr int kMenuCountryCount = 2;

// Five columns, filled line by line: field k of a line goes to column k. A
// name holding a comma is quoted in the table, but quotes are not read, so
// that line has five fields and shifts its own values; only the first rows
// are ever used.
struct CountryColumns {
    CStringArray names;
    CStringArray codes;
    CStringArray prefixes;
    CStringArray masks;
    CStringArray fifth;

    void RemoveAll();
};

// Empties the columns and reads size bytes of table text into them. Lines end
// with CR LF; fields beyond the fifth are dropped.
void ReadCountryTable(const char* bytes, size_t size, CountryColumns& columns);

int CountryRow(unsigned command);
bool IsCountryCommand(unsigned command);
// Empty text when the table has no such row (a table that failed to load).
CString CountryPrefix(const CountryColumns& columns, int row);
CString CountryMask(const CountryColumns& columns, int row);
// "Canada +1": name, " +" and the prefix.
CString CountryMenuText(const CountryColumns& columns, int row);
