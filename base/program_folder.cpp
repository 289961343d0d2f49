#include "base/program_folder.h"

#include <string>

CString ProgramFolderFromModulePath(const char* module_path) {
    const std::string path = module_path ? module_path : "";
    const size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return CString(path);
    return CString(path.substr(0, slash + 1));
}
