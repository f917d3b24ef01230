#pragma once

#include <QString>
#include <string>

// The catalogue's Windows-1251 text at the boundary of the widgets.
namespace trubkom::app {

QString ToQt(const std::string& cp1251);
std::string FromQt(const QString& text);

}  // namespace trubkom::app
