#pragma once

// Readable failure messages for the Qt values the GUI tests compare.
#include <QPoint>
#include <QRect>
#include <QString>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QRect& rect, std::ostream* out) {
    *out << "QRect(" << rect.x() << ", " << rect.y() << ", " << rect.width() << " x "
         << rect.height() << ")";
}

inline void PrintTo(const QPoint& point, std::ostream* out) {
    *out << "QPoint(" << point.x() << ", " << point.y() << ")";
}
