#include "app/ConfigNavigation.h"

using namespace Qt::StringLiterals;

namespace {

bool isWeb(const QUrl &url)
{
    return url.scheme() == "http"_L1 || url.scheme() == "https"_L1;
}

bool sameOrigin(const QUrl &a, const QUrl &b)
{
    const int defaultPort = a.scheme() == "https"_L1 ? 443 : 80;
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           a.port(defaultPort) == b.port(defaultPort);
}

} // namespace

ConfigNavigation configNavigation(const QUrl &target, const QUrl &daemon, bool mainFrame)
{
    if (isWeb(target) && sameOrigin(target, daemon))
        return ConfigNavigation::load;
    if (mainFrame && isWeb(target) && !target.host().isEmpty())
        return ConfigNavigation::openInBrowser;
    return ConfigNavigation::refuse;
}
