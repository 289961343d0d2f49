#include "base/application_name.h"

CString ApplicationNameFromModulePath(const char* module_path) {
    const CString path = module_path ? module_path : "";
    int start = 0;
    for (int i = 0; i < path.GetLength(); ++i)
        if (path.GetAt(i) == '\\' || path.GetAt(i) == '/') start = i + 1;
    CString name = path.Mid(start);
    // Only the last dot ends the name: "Vantrel.Fax.exe" is "Vantrel.Fax".
    for (int i = name.GetLength() - 1; i > 0; --i)
        if (name.GetAt(i) == '.') return name.Left(i);
    return name;
}
