// Text between the core (std::string in the local 8-bit encoding) and Qt.
#pragma once

#include <QString>
#include <string>

inline QString Q(const std::string& s) { return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string S(const QString& s) { return s.toLocal8Bit().toStdString(); }
