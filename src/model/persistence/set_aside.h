#pragma once
// Damaged settings files are never overwritten: they are renamed out of the way so the user's bytes
// stay on disk, and the program goes on with its defaults.
#include <QString>

namespace vc {

// Renames `file` to "<file>.bad" (".bad.2", ".bad.3" ... when that exists, so an earlier set-aside
// file is never replaced). Returns the new name, or an empty string when the rename failed.
QString SetAsideDamagedFile(const QString& file);

} // namespace vc
