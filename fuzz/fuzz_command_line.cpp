// The command-line grammar: window choice, print-file path and silent key.
// The first line is the stored key, the rest the command line.
#include "base/command_line.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CString input = TextOf(data, size);
    const int nl = input.Find("\n", 0);
    const CString stored_key = nl == -1 ? CString() : input.Left(nl);
    const CString command_line = nl == -1 ? input : input.Mid(nl + 1);

    const StartWindow window = ChooseStartWindow(command_line, stored_key);
    // A spooler line is never a silent set-up, whatever its path holds.
    const bool silent = command_line.Find(kSilentKeyMarker, 0) != -1 && command_line.Find("-fromspooler", 0) == -1;
    if (silent || command_line.IsEmpty() || stored_key.IsEmpty()) FUZZ_CHECK(window == StartWindow::KeySetup);
    else FUZZ_CHECK(window == StartWindow::SendFax);

    CString key = "untouched";
    FUZZ_CHECK(ExtractSilentKey(command_line, key) == silent);
    if (silent) FUZZ_CHECK(command_line.Find(CString(kSilentKeyMarker) + key, 0) != -1);
    else FUZZ_CHECK(key == "untouched");
    // A quoted "/KEY=" argument leaves its quotes out of the key.
    const int marker = command_line.Find(kSilentKeyMarker, 0);
    if (silent && marker > 0 && command_line.GetAt(marker - 1) == '"') FUZZ_CHECK(key.Find("\"", 0) == -1);

    const CString path = ExtractPrintFilePath(command_line);
    // The path is always a piece of the command line, never more.
    FUZZ_CHECK(command_line.Find(path, 0) != -1);
    FUZZ_CHECK(IsSpoolerForm(command_line) == (command_line.Find("-fromspooler", 0) != -1));
    if (!IsSpoolerForm(command_line)) {
        // Unchanged, or the inside of one pair of quotes around the whole text.
        CString trimmed = command_line;
        trimmed.Trim();
        FUZZ_CHECK(path == command_line || (path.Find("\"", 0) == -1 && trimmed == CString("\"") + path + "\""));
    }
    return 0;
}
