#pragma once
// Lets GoogleTest print Qt texts readably in failure messages.
#include <QByteArray>
#include <QString>
#include <ostream>

inline void PrintTo(const QString& texto, std::ostream* os) { *os << '"' << texto.toStdString() << '"'; }
inline void PrintTo(const QByteArray& bytes, std::ostream* os) { *os << '"' << bytes.toStdString() << '"'; }
