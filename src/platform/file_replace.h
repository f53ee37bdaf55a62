#pragma once
// Replacing a small file of the user's (settings, profiles) so that a failure at any step leaves
// the old file as it was: the bytes go to a temporary file beside it, which is flushed, synced and
// checked, and only then renamed over the old one.
#include <QByteArray>
#include <QString>

namespace vc {

// Writes `bytes` to `path` through a temporary file in the same folder. The rename happens only
// when every write, the sync and the close succeeded; otherwise the temporary file is removed,
// `path` is left untouched and vc::Error says "Cannot write file "<path>": <reason>". A file that
// exists keeps its permissions.
void ReplaceFileContents(const QString& path, const QByteArray& bytes);

} // namespace vc
