// Runs the app's four models and its panel against the paths given on the command line, and
// answers the chaos driver's commands: one command per line on standard input, one JSON object
// per line on standard output. Reading is event-driven, so a slow driver never holds the loop.

#include "ChaosRig.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QJsonDocument>
#include <QSocketNotifier>
#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption log(u"log"_s, u"Log file path."_s, u"path"_s);
    const QCommandLineOption launchctl(u"launchctl"_s, u"launchctl stand-in."_s, u"path"_s);
    const QCommandLineOption osascript(u"osascript"_s, u"osascript stand-in."_s, u"path"_s);
    const QCommandLineOption daemon(u"daemon"_s, u"Daemon base URL."_s, u"url"_s);
    parser.addOptions({log, launchctl, osascript, daemon});
    parser.process(app);

    ChaosRig rig({parser.value(log), parser.value(launchctl), parser.value(osascript),
                  parser.value(daemon)});

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[4096];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            app.quit();
            return;
        }
        pending.append(buffer, count);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QString command = QString::fromUtf8(pending.left(end)).trimmed();
            pending.remove(0, end + 1);
            if (command == u"quit") {
                app.quit();
                return;
            }
            const QByteArray reply =
                QJsonDocument(rig.handle(command)).toJson(QJsonDocument::Compact);
            std::fwrite(reply.constData(), 1, reply.size(), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
        }
    });
    return app.exec();
}
