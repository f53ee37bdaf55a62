#pragma once
// Compares two objects property by property, nested objects included, and names the first
// difference: a round trip that loses one value says which.
#include <QMetaProperty>
#include <QObject>
#include <QVariant>
#include <string>

namespace vc::test {

inline std::string FirstDifference(const QObject* a, const QObject* b, const std::string& path = "") {
    const QMetaObject* meta = a->metaObject();
    for (int i = QObject::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i) {
        const QMetaProperty p = meta->property(i);
        const std::string name = path + p.name();
        const QVariant va = p.read(a);
        const QVariant vb = p.read(b);
        if (va.metaType().flags() & QMetaType::PointerToQObject) {
            const QObject* na = *static_cast<QObject* const*>(va.constData());
            const QObject* nb = *static_cast<QObject* const*>(vb.constData());
            if (std::string d = FirstDifference(na, nb, name + "."); !d.empty())
                return d;
        } else if (va != vb) {
            return name + ": " + va.toString().toStdString() + " != " + vb.toString().toStdString();
        }
    }
    return {};
}

} // namespace vc::test
