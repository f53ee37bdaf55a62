#pragma once
// The base of every object whose published properties are stored (conversion options, settings,
// profiles). Published properties are the Q_PROPERTYs in declaration order; a declared default
// for storing sits beside the class as Q_CLASSINFO("Default.<Property>", "<value>").
#include <QObject>
#include <QString>

namespace vc {

class TPersistent : public QObject {
    Q_OBJECT
public:
    explicit TPersistent(QObject* parent = nullptr) : QObject(parent) {}

    // Copies the state of `source`. Classes override it for sources of their own class and call
    // the inherited version for anything else, which throws
    // vc::Error("Cannot assign a <source class> to a <target class>") ("nil" for a null source).
    virtual void Assign(const TPersistent* source);

    // The class name without the namespace, as users and stored files see it.
    static QString ClassNameOf(const QObject* object);
};

} // namespace vc
