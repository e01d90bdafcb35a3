// Lookups of the GUI tests: a named child that must exist, or the test stops with its
// name (a renamed command must not pass as a null pointer).
#pragma once

#include <QObject>
#include <QString>

namespace tessarin::test {

template <typename T>
T* FindChild(const QObject& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) {
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    }
    return child;
}

}  // namespace tessarin::test
