// The country table loader and the texts read from its rows, on any bytes.
#include "fuzz_check.h"
#include "ui/send/country_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CountryColumns columns;
    columns.names.Add("left over");
    ReadCountryTable(reinterpret_cast<const char*>(data), size, columns);
    const int rows = columns.names.GetSize();
    // Columns fill from the left: no column is longer than the one before it.
    FUZZ_CHECK(columns.codes.GetSize() <= rows);
    FUZZ_CHECK(columns.prefixes.GetSize() <= columns.codes.GetSize());
    FUZZ_CHECK(columns.masks.GetSize() <= columns.prefixes.GetSize());
    FUZZ_CHECK(columns.fifth.GetSize() <= columns.masks.GetSize());
    FUZZ_CHECK(static_cast<size_t>(rows) <= size / 2 + 1);
    for (int row = -1; row <= rows + 1; ++row) {
        const CString prefix = CountryPrefix(columns, row);
        const CString mask = CountryMask(columns, row);
        const CString menu = CountryMenuText(columns, row);
        if (row < 0 || row >= rows) FUZZ_CHECK(menu.IsEmpty());
        else FUZZ_CHECK(menu == columns.names[row] + " +" + prefix);
        FUZZ_CHECK(prefix.Find("\r\n", 0) == -1 && mask.Find(",", 0) == -1);
    }
    for (unsigned command = kFirstCountryCommand - 2; command <= kLastCountryCommand + 2; ++command) {
        if (IsCountryCommand(command)) {
            const int row = CountryRow(command);
            FUZZ_CHECK(row >= 0 && row < 230);
        }
    }
    return 0;
}
