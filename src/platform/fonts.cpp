#include "platform/fonts.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>

namespace vc {

namespace {
struct PatternFree {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct ObjectSetFree {
    void operator()(FcObjectSet* s) const { FcObjectSetDestroy(s); }
};
struct FontSetFree {
    void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};

std::string StringOf(FcPattern* pattern, const char* object) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch || !value)
        return {};
    return reinterpret_cast<const char*>(value);
}
} // namespace

std::vector<InstalledFont> InstalledFonts() {
    std::vector<InstalledFont> fonts;
    std::unique_ptr<FcPattern, PatternFree> pattern(FcPatternCreate());
    std::unique_ptr<FcObjectSet, ObjectSetFree> objects(FcObjectSetBuild(FC_FAMILY, FC_FILE, nullptr));
    std::unique_ptr<FcFontSet, FontSetFree> set(FcFontList(nullptr, pattern.get(), objects.get()));
    if (!set)
        return fonts;
    for (int i = 0; i < set->nfont; ++i) {
        InstalledFont font{StringOf(set->fonts[i], FC_FAMILY), StringOf(set->fonts[i], FC_FILE)};
        if (!font.family.empty() && !font.file.empty())
            fonts.push_back(std::move(font));
    }
    std::sort(fonts.begin(), fonts.end(), [](const auto& a, const auto& b) {
        return a.family != b.family ? a.family < b.family : a.file < b.file;
    });
    return fonts;
}

std::string FontFamilyOfFile(const std::string& path) {
    int count = 0;
    std::unique_ptr<FcPattern, PatternFree> pattern(
        FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(path.c_str()), 0, nullptr, &count));
    if (!pattern)
        return {};
    return StringOf(pattern.get(), FC_FAMILY);
}

} // namespace vc
