// Whole files as text, for tests that plant or read back a fixture's bytes.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vc::test {

inline std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const std::filesystem::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << text;
}

} // namespace vc::test
