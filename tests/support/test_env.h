// What a test run hands the test programs: environment values and files.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace kestrid_test {

inline std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace kestrid_test
