#pragma once

#include <QByteArrayView>
#include <QLatin1StringView>

// What the app and the configuration window's helper say to each other: its two options, the
// line on its standard input that shows the window again, and the line on its standard output
// that hands back the window's geometry (base64) as it closes.
namespace ConfigHelperProtocol {

inline constexpr QLatin1StringView urlOption{"url"};
inline constexpr QLatin1StringView geometryOption{"geometry"};
inline constexpr QByteArrayView showLine{"show"};
inline constexpr QByteArrayView geometryPrefix{"geometry "};

} // namespace ConfigHelperProtocol
