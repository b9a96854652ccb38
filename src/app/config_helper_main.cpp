// korvel-printer-config: the configuration window in a process of its own, so the tray app
// never maps the browser engine or OpenGL. The app starts it with the page's address and the
// last window geometry, writes "show" to its standard input to reload the page and raise the
// window, and closes that input when it quits. On closing its window the helper writes
// "geometry <base64>" to its standard output and ends.
#include "app/ConfigHelperProtocol.h"
#include "app/ConfigPageWindow.h"
#include "app/StdinLines.h"
#include "app/WebConfigPageView.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The engine reads these when it starts.
void prepareWebEngine()
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
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

} // namespace

int main(int argc, char *argv[])
{
    prepareWebEngine();
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Korvel Printer"_s);
    QApplication::setDesktopFileName(u"korvel-printer"_s);

    QCommandLineParser parser;
    const QCommandLineOption urlOption(ConfigHelperProtocol::urlOption,
                                       u"The daemon's configuration page."_s, u"url"_s);
    const QCommandLineOption geometryOption(ConfigHelperProtocol::geometryOption,
                                            u"Saved window geometry (base64)."_s, u"data"_s);
    parser.addOptions({urlOption, geometryOption});
    parser.process(app);
    const QUrl url(parser.value(urlOption), QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != u"http") {
        std::fprintf(stderr, "korvel-printer-config: --url needs an http address\n");
        return 2;
    }

    ConfigPageWindow window(std::make_unique<WebConfigPageView>(url), url,
                            QByteArray::fromBase64(parser.value(geometryOption).toLatin1()));
    QObject::connect(&window, &ConfigPageWindow::closed, &app, [](const QByteArray &geometry) {
        std::printf("%s%s\n", ConfigHelperProtocol::geometryPrefix.data(),
                    geometry.toBase64().constData());
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    StdinLines input;
    QObject::connect(&input, &StdinLines::lineRead, &window, [&window](const QByteArray &line) {
        if (line == ConfigHelperProtocol::showLine)
            window.showConfig();
    });
    QObject::connect(&input, &StdinLines::ended, &app, &QCoreApplication::quit);
    window.showConfig();
    return app.exec();
}
