#pragma once
#include <QString>
#include <string>

namespace qz::ui {

// A control gets its name from the text as object name and the name screen
// readers and tests find it by: its caption, or its hint where it has none.
template <class W>
W* Named(W* w, const char* objectName, const QString& accessibleName) {
    w->setObjectName(QString::fromLatin1(objectName));
    w->setAccessibleName(accessibleName);
    return w;
}

inline QString Q(const std::string& s) { return QString::fromStdString(s); }

} // namespace qz::ui
