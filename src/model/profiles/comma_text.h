#pragma once
// The comma-separated form of a list of lines used by the "Options" key of the user profile file.
#include <QString>
#include <QStringList>

namespace vc {

// Lines joined with ","; a line holding a blank, a control character, a comma or a double quote
// is enclosed in double quotes with its inner quotes doubled. A single empty line gives "\"\"".
QString ToCommaText(const QStringList& lines);

// The reverse: items are separated by commas and by blanks or line breaks outside double quotes;
// inside quotes a doubled quote stands for one; a trailing comma adds an empty item.
QStringList FromCommaText(const QString& text);

} // namespace vc
