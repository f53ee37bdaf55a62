#include "engine/options/persistent.h"

#include "platform/error.h"

namespace vc {

QString TPersistent::ClassNameOf(const QObject* object) {
    if (object == nullptr)
        return QStringLiteral("nil");
    QString name = QString::fromLatin1(object->metaObject()->className());
    const qsizetype colon = name.lastIndexOf(QLatin1String("::"));
    return colon < 0 ? name : name.mid(colon + 2);
}

void TPersistent::Assign(const TPersistent* source) {
    throw Error(QStringLiteral("Cannot assign a %1 to a %2")
                    .arg(ClassNameOf(source), ClassNameOf(this))
                    .toStdString());
}

} // namespace vc
