#include "app/AppEnvironment.h"

#include "app/PanelPopover.h"
#include "app/SingleInstance.h"
#include "app/TrayStatusItem.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

std::optional<QString> bundleResource(const QString &fileName)
{
#ifdef Q_OS_MACOS
    const QString path = QCoreApplication::applicationDirPath() + "/../Resources/"_L1 + fileName;
#else
    // An installed copy keeps the bundle's resources in its data directory.
    const QString path = QCoreApplication::applicationDirPath() +
                         "/../" KORVEL_INSTALL_DATADIR "/korvel-printer/"_L1 + fileName;
#endif
    if (QFileInfo::exists(path))
        return QDir::cleanPath(path);
    return std::nullopt;
}

} // namespace

AppEnvironment AppEnvironment::standard()
{
    AppEnvironment environment;
    environment.serviceControl = makeServiceControl();
    environment.makeServiceWatcher = &::makeServiceWatcher;
    environment.desktop = makeDesktopIntegration();
    environment.prompts = makeUserPrompts();
    environment.bundleIconPath = bundleResource(u"AppIcon.icns"_s);
    environment.workingDirectory = QDir::currentPath();
    // Beside the app in the build tree and in the bundle; in libexec once installed. When
    // neither exists, the installed path is the one the failure names.
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString besideApp = appDir + "/korvel-printer-config"_L1;
    environment.configHelperPath =
        QFileInfo::exists(besideApp)
            ? besideApp
            : QDir::cleanPath(appDir + "/../" KORVEL_INSTALL_LIBEXECDIR
                                       "/korvel-printer/korvel-printer-config"_L1);
    environment.instanceName = SingleInstance::standardName();
    environment.makeStatusItem = [] { return std::make_unique<TrayStatusItem>(); };
    environment.makePopover = [](PanelModels &models, std::function<void()> openConfig) {
        auto popover =
            std::make_unique<PanelPopover>(models, std::move(openConfig), makeSharePicker());
        // Building and painting the panel once leaves freed memory the allocator keeps.
        releaseFreedMemory();
        return popover;
    };
    environment.makeNotifier = &::makeNotifier;
    environment.iconShowsServiceState = ::iconShowsServiceState();
    return environment;
}
