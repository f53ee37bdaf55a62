#include "model/persistence/set_aside.h"

#include <QFile>
#include <QFileInfo>

namespace vc {

QString SetAsideDamagedFile(const QString& file) {
    QString name = file + ".bad";
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = file + ".bad." + QString::number(n);
    return QFile::rename(file, name) ? name : QString();
}

} // namespace vc
