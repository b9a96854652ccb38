#pragma once

#include <QLatin1StringView>
#include <QString>

// Where the print daemon listens and the paths the app reads from it.
namespace DaemonAddress {

inline constexpr QLatin1StringView base{"http://127.0.0.1:9020"};
inline constexpr QLatin1StringView healthPath{"/health"};
inline constexpr QLatin1StringView printersPath{"/printers"};
inline constexpr QLatin1StringView configPath{"/config"};
inline constexpr QLatin1StringView pagePath{"/"};

inline QString endpoint(QLatin1StringView path, QLatin1StringView root = base)
{
    return root + path;
}

} // namespace DaemonAddress
