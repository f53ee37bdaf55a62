#pragma once
// How many terminal cells text takes: East Asian wide and full-width characters (Chinese,
// Japanese, Korean, full-width forms, most emoji) two, combining marks and format characters
// none, everything else one. Console tables pad by it so CJK columns line up.
#include <QString>

namespace vc {

int DisplayWidth(char32_t code_point);
int DisplayWidth(const QString& text);

} // namespace vc
