// Renders the panel, fed by the print-daemon simulator, to PNG in a light and a dark palette, the
// same with the keyboard focus on the log, and once more in Vietnamese:
//   panel_screenshots [OUTPUT_DIR]     (default: docs/screenshots of the source tree)
// Not a test: it compares nothing; look at the pictures.

#include "core/Translation.h"
#include "models/PanelModels.h"
#include "platform/Platform.h"
#include "ui/PopoverView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// The colours of Window, WindowText, Base, AlternateBase, Text, Button, ButtonText, Highlight,
// HighlightedText, Link, PlaceholderText and, if given, Light, Midlight, Mid, Dark and Shadow.
QPalette paletteOf(std::initializer_list<QRgb> colours)
{
    using enum QPalette::ColorRole;
    const QPalette::ColorRole roles[] = {
        Window,    WindowText,      Base, AlternateBase,   Text,  Button,   ButtonText,
        Highlight, HighlightedText, Link, PlaceholderText, Light, Midlight, Mid,
        Dark,      Shadow};
    QPalette palette;
    const QPalette::ColorRole *role = roles;
    for (const QRgb rgb : colours)
        palette.setColor(*role++, QColor(rgb));
    return palette;
}

QPalette lightPalette()
{
    return paletteOf({0xececec, 0x1d1d1f, 0xffffff, 0xf5f5f5, 0x1d1d1f, 0xfbfbfb, 0x1d1d1f,
                      0x006ee6, 0xffffff, 0x0063d1, 0x8a8a8e});
}

QPalette darkPalette()
{
    return paletteOf({0x28282b, 0xf0f0f2, 0x1c1c1e, 0x242426, 0xf0f0f2, 0x3a3a3d, 0xf0f0f2,
                      0x0a84ff, 0xffffff, 0x4ca6ff, 0x8e8e93, 0x505054, 0x444448, 0x303033,
                      0x1a1a1c, 0x000000});
}

// The simulator stands in for the daemon, this for its service manager.
class RunningService : public ServiceControl
{
public:
    ServiceState queryState() override { return ServiceState::running(412); }
    void restart() override {}
};

int fail(const char *message)
{
    std::fprintf(stderr, "panel_screenshots: %s\n", message);
    return 1;
}

bool render(PopoverView &view, const QPalette &palette, const QString &path)
{
    QApplication::setPalette(palette);
    // Let the palette reach every widget and the log finish scrolling to its end.
    QTest::qWait(400);
    const bool saved = view.grab().save(path);
    std::fprintf(saved ? stdout : stderr, saved ? "%s\n" : "panel_screenshots: cannot write %s\n",
                 qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char **argv)
{
    // Twice the pixels, as on a HiDPI screen.
    qputenv("QT_SCALE_FACTOR", "2");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
    QApplication::setPalette(lightPalette());
    const QString outputDir = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                       : QStringLiteral(KORVEL_SOURCE_DIR "/docs/screenshots");
    QDir().mkpath(outputDir);

    QTemporaryDir dir;
    const QString logPath = dir.filePath(u"KorvelPrinter.log"_s);
    QProcess simulator;
    simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    simulator.start(u"python3"_s, {QStringLiteral(KORVEL_SOURCE_DIR "/tools/korvel-daemon-sim"),
                                   u"--port"_s, u"0"_s, u"--log"_s, logPath, u"--log-burst"_s,
                                   u"60"_s, u"--log-interval"_s, u"0"_s});
    if (!simulator.waitForReadyRead(10000))
        return fail("the simulator did not start");
    const QRegularExpressionMatch listening = QRegularExpression(u"listening on ([0-9.]+):(\\d+)"_s)
                                                  .match(QString::fromUtf8(simulator.readLine()));
    if (!listening.hasMatch())
        return fail("the simulator did not say where it listens");
    const QString base = u"http://"_s + listening.captured(1) + u':' + listening.captured(2);

    PanelModels models(logPath, base, std::make_shared<RunningService>(), makeDesktopIntegration(),
                       makeUserPrompts());
    const std::unique_ptr<SharePicker> sharePicker = makeSharePicker();
    PopoverView view(
        models, [] {}, *sharePicker);
    view.show();

    models.start();
    const bool ready = QTest::qWaitFor(
        [&] {
            return models.serviceStatus.apiReachable() &&
                   models.serviceStatus.state().kind() == ServiceState::Kind::running &&
                   !models.printerList.printers().isEmpty() && !models.configSummary.isLoading() &&
                   !models.configSummary.slots().first().printer.isEmpty() &&
                   !models.logTailer.lines().isEmpty();
        },
        10000);
    if (!ready)
        return fail("the models did not reach their states");
    models.stop();

    bool written = render(view, lightPalette(), outputDir + u"/panel-light.png"_s) &&
                   render(view, darkPalette(), outputDir + u"/panel-dark.png"_s);
    // Where Tab leaves the focus after the log buttons, in both themes.
    view.activateWindow();
    if (!QTest::qWaitForWindowActive(&view))
        return fail("the panel did not become active");
    view.findChild<QWidget *>(u"logLines"_s)->setFocus(Qt::TabFocusReason);
    written = written && render(view, lightPalette(), outputDir + u"/panel-focus-light.png"_s) &&
              render(view, darkPalette(), outputDir + u"/panel-focus-dark.png"_s);
    view.findChild<QWidget *>(u"logLines"_s)->clearFocus();

    // Labels are set when the widgets are made, so the Vietnamese panel is a new one.
    installTranslation(app, QLocale(QLocale::Vietnamese, QLocale::Vietnam));
    PopoverView vietnamese(
        models, [] {}, *sharePicker);
    vietnamese.show();
    written = written && render(vietnamese, lightPalette(), outputDir + u"/panel-light-vi.png"_s);
    simulator.terminate();
    simulator.waitForFinished(3000);
    return written ? 0 : 1;
}
