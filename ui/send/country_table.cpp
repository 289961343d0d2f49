#include "ui/send/country_table.h"

namespace {

CString Item(const CStringArray& column, int row) {
    return row >= 0 && row < column.GetSize() ? column[row] : CString();
}

}  // namespace

void CountryColumns::RemoveAll() {
    for (CStringArray* column : {&names, &codes, &prefixes, &masks, &fifth}) column->RemoveAll();
}

void ReadCountryTable(const char* bytes, size_t size, CountryColumns& columns) {
    columns.RemoveAll();
    if (!bytes || size == 0) return;
    const CString text(bytes, static_cast<int>(size));
    CStringArray lines;
    SplitText(text, "\r\n", lines);
    CStringArray* targets[] = {&columns.names, &columns.codes, &columns.prefixes, &columns.masks, &columns.fifth};
    for (int i = 0; i < lines.GetSize(); ++i) {
        // The text after the last line end is not a line.
        if (i == lines.GetSize() - 1 && lines[i].IsEmpty()) break;
        CStringArray fields;
        SplitText(lines[i], ",", fields);
        for (int k = 0; k < fields.GetSize() && k < 5; ++k) targets[k]->Add(fields[k]);
    }
}

int CountryRow(unsigned command) { return static_cast<int>(command) - static_cast<int>(kFirstCountryCommand); }

bool IsCountryCommand(unsigned command) { return command >= kFirstCountryCommand && command <= kLastCountryCommand; }

CString CountryPrefix(const CountryColumns& columns, int row) { return Item(columns.prefixes, row); }

CString CountryMask(const CountryColumns& columns, int row) { return Item(columns.masks, row); }

CString CountryMenuText(const CountryColumns& columns, int row) {
    if (row < 0 || row >= columns.names.GetSize()) return CString();
    return Item(columns.names, row) + " +" + Item(columns.prefixes, row);
}
