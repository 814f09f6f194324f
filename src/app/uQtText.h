// Conversions between the core's UTF-8 std::string and QString.
#pragma once

#include <QString>
#include <string>

inline QString ToQ(const std::string& AText) { return QString::fromUtf8(AText.data(), qsizetype(AText.size())); }
inline std::string FromQ(const QString& AText) { return AText.toUtf8().toStdString(); }
