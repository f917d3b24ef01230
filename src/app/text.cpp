#include "app/text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace trubkom::app {

// One converter a thread, opened once: opening one costs more than converting a list's row, and
// Windows-1251 keeps no state from one text to the next.
QString ToQt(const std::string& cp1251) {
  thread_local QStringDecoder decoder("windows-1251");
  return decoder.decode(QByteArrayView(cp1251.data(), static_cast<qsizetype>(cp1251.size())));
}

std::string FromQt(const QString& text) {
  thread_local QStringEncoder encoder("windows-1251");
  QByteArray bytes = encoder.encode(text);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace trubkom::app
