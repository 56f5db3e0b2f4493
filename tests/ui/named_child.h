#pragma once

#include <QObject>
#include <QString>

#include <QtGlobal>

// A control of the window by its object name, as the tests find them; the
// test program stops where there is none, rather than go on with a null.
template <typename T> T* namedChild(const QObject& window, const char* name) {
    T* widget = window.findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}
