// systemd's manager on a private bus for the tests: owns org.freedesktop.systemd1, knows only
// korvel-printer.service, writes each call it gets as one line of the record file and prints
// "ready" once it owns the name. An accepted RestartUnit gives the unit the next pid.
//
//   fake_systemd_manager --address BUS --record FILE [--load-state S] [--main-pid N] [--hang]
//                        [--deny-restart] [--wrong-types] [--fail]
//
// SetUnit(load state, active state, pid) on the test interface changes the unit and, as systemd
// does, tells the subscribers through PropertiesChanged. A failed unit's Result is "exit-code".

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFile>
#include <QSet>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const QString unitPath = u"/org/freedesktop/systemd1/unit/korvel_2dprinter_2eservice"_s;

class FakeManager : public QDBusVirtualObject
{
public:
    QString loadState;
    QString activeState = u"active"_s;
    uint mainPid = 0;
    QSet<QString> switches; // those of the command line that are set
    bool subscribed = false;
    QFile record;

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &bus) override
    {
        QStringList line{message.member()};
        for (const QVariant &argument : message.arguments())
            line << argument.toString();
        if (message.member() == u"RestartUnit")
            line << (message.isInteractiveAuthorizationAllowed() ? u"interactive"_s
                                                                 : u"non-interactive"_s);
        record.write(line.join(u' ').toUtf8() + '\n');
        record.flush();
        if (message.member() == u"SetUnit" && message.interface() == u"org.korvel.Test")
            setUnit(message.arguments(), bus);
        if (!switches.contains(u"hang"_s))
            bus.send(answer(message));
        return true;
    }

private:
    void setUnit(const QVariantList &arguments, const QDBusConnection &bus)
    {
        loadState = arguments.value(0).toString();
        activeState = arguments.value(1).toString();
        mainPid = arguments.value(2).toUInt();
        if (!subscribed)
            return;
        const auto changed = [&](const QString &interface, const QVariantMap &properties) {
            QDBusMessage signal = QDBusMessage::createSignal(
                unitPath, u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s);
            signal << interface << properties << QStringList();
            bus.send(signal);
        };
        // The service's own interface first, as systemd sends them.
        changed(u"org.freedesktop.systemd1.Service"_s,
                {{u"MainPID"_s, mainPid}, {u"Result"_s, result()}});
        changed(u"org.freedesktop.systemd1.Unit"_s,
                {{u"LoadState"_s, loadState}, {u"ActiveState"_s, activeState}});
    }

    QString result() const { return activeState == u"failed" ? u"exit-code"_s : u"success"_s; }

    QVariantMap properties() const
    {
        return {{u"LoadState"_s, loadState},
                {u"ActiveState"_s, activeState},
                {u"MainPID"_s, mainPid},
                {u"Result"_s, result()}};
    }

    QDBusMessage answer(const QDBusMessage &message)
    {
        const QString member = message.member();
        const QString argument = message.arguments().value(0).toString();
        if (switches.contains(u"fail"_s))
            return message.createErrorReply(u"org.freedesktop.DBus.Error.Failed"_s,
                                            u"Manager failed"_s);
        if (member == u"Subscribe" || member == u"SetUnit") {
            subscribed = subscribed || member == u"Subscribe";
            return message.createReply();
        }
        if (member == u"LoadUnit" && argument == u"korvel-printer.service")
            return message.createReply(QVariant::fromValue(QDBusObjectPath(unitPath)));
        if (member == u"RestartUnit" && switches.contains(u"deny-restart"_s))
            return message.createErrorReply(u"org.freedesktop.DBus.Error.AccessDenied"_s,
                                            u"Access denied"_s);
        if (member == u"RestartUnit") {
            ++mainPid;
            return message.createReply(
                QVariant::fromValue(QDBusObjectPath(u"/org/freedesktop/systemd1/job/1"_s)));
        }
        if (member == u"Get" && message.path() == unitPath) {
            const QVariant value = properties().value(message.arguments().value(1).toString());
            if (value.isValid())
                return message.createReply(QVariant::fromValue(
                    QDBusVariant(switches.contains(u"wrong-types"_s) ? QVariant(7) : value)));
        }
        return message.createErrorReply(QDBusError::UnknownMethod, member);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({{u"address"_s, u"Bus address."_s, u"address"_s},
                       {u"record"_s, u"Call record."_s, u"file"_s},
                       {u"load-state"_s, u"LoadState."_s, u"s"_s, u"loaded"_s},
                       {u"main-pid"_s, u"MainPID."_s, u"n"_s, u"412"_s}});
    const QStringList switches{u"hang"_s, u"deny-restart"_s, u"wrong-types"_s, u"fail"_s};
    for (const QString &name : switches)
        parser.addOption({name, name});
    parser.process(app);

    FakeManager manager;
    manager.loadState = parser.value(u"load-state"_s);
    manager.mainPid = parser.value(u"main-pid"_s).toUInt();
    for (const QString &name : switches) {
        if (parser.isSet(name))
            manager.switches.insert(name);
    }
    manager.record.setFileName(parser.value(u"record"_s));
    QDBusConnection bus = QDBusConnection::connectToBus(parser.value(u"address"_s), u"bus"_s);
    if (!manager.record.open(QIODevice::Append) ||
        !bus.registerVirtualObject(u"/org/freedesktop/systemd1"_s, &manager,
                                   QDBusConnection::SubPath) ||
        !bus.registerService(u"org.freedesktop.systemd1"_s)) {
        std::fprintf(stderr, "cannot record or serve: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}
