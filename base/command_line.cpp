#include "base/command_line.h"

namespace {

const char kSpoolerMarker[] = "-fromspooler";

bool IsInstallerLine(const CString& command_line) {
    return command_line.Find(kSilentKeyMarker, 0) != -1 && !IsSpoolerForm(command_line);
}

}  // namespace

StartWindow ChooseStartWindow(const CString& command_line, const CString& stored_key) {
    if (IsInstallerLine(command_line)) return StartWindow::KeySetup;
    return !command_line.IsEmpty() && !stored_key.IsEmpty() ? StartWindow::SendFax : StartWindow::KeySetup;
}

namespace {

// Explorer's Send To quotes a path with blanks. One pair of quotes around the
// whole text (blanks outside it aside) goes; a quote anywhere else means the
// text is not one quoted path and it stays as it is.
CString UnquoteWholeText(const CString& command_line) {
    CString text = command_line;
    text.Trim();
    const int length = text.GetLength();
    if (length < 2 || text.GetAt(0) != '"' || text.GetAt(length - 1) != '"') return command_line;
    CString inner = text.Mid(1, length - 2);
    if (inner.Find("\"", 0) != -1) return command_line;
    return inner;
}

}  // namespace

bool IsSpoolerForm(const CString& command_line) { return command_line.Find(kSpoolerMarker, 0) != -1; }

CString ExtractPrintFilePath(const CString& command_line) {
    if (!IsSpoolerForm(command_line)) return UnquoteWholeText(command_line);
    const int p = command_line.Find("-pages ", 0);
    const int q1 = command_line.Find("\"", p);
    const int q2 = command_line.Find("\"", q1 + 1);
    // The page count sits between "-pages " and the quote; it has no effect.
    return command_line.Mid(q1 + 1, q2 - q1 - 1);
}

const char kSilentKeyMarker[] = "/KEY=";

bool ExtractSilentKey(const CString& command_line, CString& key) {
    if (!IsInstallerLine(command_line)) return false;
    const int k = command_line.Find(kSilentKeyMarker, 0);
    const int start = k + 5;
    if (k > 0 && command_line.GetAt(k - 1) == '"') {
        // The quotes belong to the argument, not to the key.
        const int close = command_line.Find("\"", start);
        key = close == -1 ? command_line.Mid(start) : command_line.Mid(start, close - start);
        return true;
    }
    key = command_line.Mid(start);
    return true;
}
