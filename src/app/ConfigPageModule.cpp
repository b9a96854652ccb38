#include "app/ConfigPageModule.h"

#include <QDir>
#include <QLibrary>
#include <QtGlobal>
#include <cstdio>
#include <optional>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The engine reads these when it starts, so they are set just before the module loads.
void prepareWebEngineEnvironment()
{
    // Chromium's sandbox refuses to run as root, which is how CI runs; as any other user it
    // stays on.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The page is on the loopback address; the engine has no business on the network.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                "--disable-background-networking --disable-component-update "
                "--disable-domain-reliability --no-pings");
}

MakeConfigPageView resolveFactory(const QStringList &searchDirs)
{
    prepareWebEngineEnvironment();
    QStringList reasons;
    for (const QString &dir : searchDirs) {
        // The library stays loaded for the life of the process: its views outlive this call.
        QLibrary library(QDir(dir).filePath(u"korvel_webpage"_s));
        if (auto make =
                reinterpret_cast<MakeConfigPageView>(library.resolve(makeConfigPageViewSymbol)))
            return make;
        reasons.append(library.errorString());
    }
    std::fprintf(stderr, "Korvel Printer: cannot load the web page module: %s\n",
                 qUtf8Printable(reasons.join(u"; "_s)));
    return nullptr;
}

} // namespace

ConfigPageFactory configPageModuleFactory(const QStringList &searchDirs)
{
    auto make = std::make_shared<std::optional<MakeConfigPageView>>();
    return [searchDirs, make](QWidget *parent) -> std::unique_ptr<ConfigPageView> {
        if (!*make)
            *make = resolveFactory(searchDirs);
        if (!**make)
            return nullptr;
        return std::unique_ptr<ConfigPageView>((**make)(parent));
    };
}
