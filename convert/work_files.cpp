#include "convert/work_files.h"

CString WorkFolder(const CString& program_folder) { return program_folder + "Files\\"; }

CString TimeStamp(const LocalTime& time) {
    CString stamp;
    stamp.Format("%2d%2d%4d-%2d%2d%2d", time.month, time.day, time.year, time.hour, time.minute, time.second);
    stamp.Replace(" ", "0");
    return stamp;
}

CString WorkFileStem(const CString& work_folder, const LocalTime& time) {
    return work_folder + "Fax_" + TimeStamp(time);
}

CString NumberedStem(const CString& stem, int attempt) {
    if (attempt <= 1) return stem;
    CString numbered;
    numbered.Format("%s_%d", stem.GetString(), attempt);
    return numbered;
}

CString GhostscriptProgram(const CString& program_folder) { return program_folder + "Xtra\\PD\\gswin32c.exe"; }

CString GhostscriptCommandLine(const CString& short_program_folder, const CString& pdf_path, const CString& ps_path) {
    return CString("\"") + short_program_folder +
           "Xtra\\PD\\gswin32c.exe\" -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -sOutputFile=\"" + pdf_path + "\" \"" +
           ps_path + "\"";
}
