#pragma once
// Installed fonts, through fontconfig.
#include <string>
#include <vector>

namespace vc {

struct InstalledFont {
    std::string family;
    std::string file;
};

// Every font file fontconfig knows, with its family name, sorted by family.
std::vector<InstalledFont> InstalledFonts();
// The family name stored in a font file, or empty when the file is no font fontconfig can read.
std::string FontFamilyOfFile(const std::string& path);

} // namespace vc
