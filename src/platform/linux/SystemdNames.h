#pragma once

#include <QLatin1StringView>

// Where systemd's manager and the daemon's unit answer on the bus, shared by the control and the
// watcher so that both ask the same thing the same way.
namespace SystemdNames {

inline constexpr QLatin1StringView service{"org.freedesktop.systemd1"};
inline constexpr QLatin1StringView managerPath{"/org/freedesktop/systemd1"};
inline constexpr QLatin1StringView managerInterface{"org.freedesktop.systemd1.Manager"};
inline constexpr QLatin1StringView propertiesInterface{"org.freedesktop.DBus.Properties"};
inline constexpr QLatin1StringView unitInterface{"org.freedesktop.systemd1.Unit"};
inline constexpr QLatin1StringView serviceInterface{"org.freedesktop.systemd1.Service"};
// Every call but a restart: a manager that has not answered by then is not going to.
inline constexpr int callTimeoutMs = 2000;

} // namespace SystemdNames
