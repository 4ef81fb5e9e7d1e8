#pragma once

#include <QString>
#include <string>

namespace wobbet {

// The engine and the knowledge file hold text as 8-bit strings; the desktop keeps them in UTF-8,
// as the console does, so both read the same knowledge file.
inline std::string ToEngineText(const QString& text) {
    return text.toStdString();
}
inline QString FromEngineText(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace wobbet
