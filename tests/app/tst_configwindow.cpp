#include "AppFakes.h"
#include "RecordingFakes.h"
#include "app/ConfigPageWindow.h"
#include "app/ConfigWindowController.h"

#include <QApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QUrl pageUrl(u"http://127.0.0.1:9020/"_s);

class FakePageView : public ConfigPageView
{
public:
    QWidget view;
    QList<QUrl> loads;
    int stops = 0;
    std::function<void()> finished;

    QWidget *widget() override { return &view; }
    void load(const QUrl &url) override { loads.append(url); }
    void stop() override { ++stops; }
    void onLoadFinished(std::function<void()> callback) override { finished = std::move(callback); }
};

} // namespace

class TestConfigWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // What the fake helper was started with and read, one entry per line.
    QStringList recorded() const
    {
        QFile record(m_dir.filePath(u"helper.record"_s));
        return record.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(record.readAll()).split(u'\n', Qt::SkipEmptyParts)
                   : QStringList();
    }

private Q_SLOTS:
    // The first window is centred; every show loads the page again; closing hands back the
    // geometry, and the next helper's window takes it.
    void windowPlacementAndReload()
    {
        FakePageView *page = nullptr;
        auto window = std::make_unique<ConfigPageWindow>(makeKept(page), pageUrl, QByteArray());
        window->showConfig();
        const QPoint offCentre = window->geometry().center() -
                                 QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 6, "the window is centred on the screen");

        window->move(window->pos() + QPoint(37, 21));
        window->resize(800, 500);
        const QRect placed = window->geometry();
        window->showConfig();
        QCOMPARE(page->loads, (QList<QUrl>{pageUrl, pageUrl}));
        QCOMPARE(window->geometry(), placed);

        QSignalSpy closed(window.get(), &ConfigPageWindow::closed);
        QVERIFY(window->close());
        QCOMPARE(closed.size(), 1);
        window.reset();
        ConfigPageWindow next(std::make_unique<FakePageView>(), pageUrl,
                              closed.at(0).at(0).toByteArray());
        next.showConfig();
        QCOMPARE(next.geometry(), placed);
    }

    // The wait bounds the request for the page only: a form saved after the page has loaded
    // is never stopped.
    void requestTimeoutCoversOnlyThePage_data()
    {
        QTest::addColumn<bool>("pageAnswers");
        QTest::addColumn<int>("stops");
        QTest::newRow("page never answers") << false << 1;
        QTest::newRow("form saved after the page loaded") << true << 0;
    }

    void requestTimeoutCoversOnlyThePage()
    {
        QFETCH(bool, pageAnswers);
        QFETCH(int, stops);
        FakePageView *page = nullptr;
        ConfigPageWindow window(makeKept(page), pageUrl, QByteArray(), 50ms);
        window.showConfig();
        if (pageAnswers)
            page->finished();
        QTest::qWait(200);
        QCOMPARE(page->stops, stops);
    }

    void helperProtocol()
    {
        // SIGUSR1 stands for the user closing the helper's window.
        const QString helper = m_dir.filePath(u"helper"_s);
        QFile script(helper);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/bash\nrecord=\"$0.record\"\necho \"start $*\" >> \"$record\"\n"
                     "trap 'echo geometry R0VP; exit 0' USR1\n"
                     "while read -r line; do echo \"$line\" >> \"$record\"; done\n"
                     "echo eof >> \"$record\"\n");
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
        const QString start = u"start --url http://127.0.0.1:9020/"_s;
        auto prompts = std::make_shared<RecordingPrompts>();
        auto controller = std::make_unique<ConfigWindowController>(helper, prompts, pageUrl);

        // Two fast clicks start one helper; a show while it runs reloads in the same one.
        controller->showConfig();
        controller->showConfig();
        QTRY_COMPARE(recorded(), (QStringList{start, u"show"_s}));
        const qint64 first = controller->helperPid();
        controller->showConfig();
        QTRY_COMPARE(recorded(), (QStringList{start, u"show"_s, u"show"_s}));
        QCOMPARE(controller->helperPid(), first);

        // The user closes the window: the helper ends and the next one gets its geometry.
        ::kill(pid_t(first), SIGUSR1);
        QTRY_COMPARE(controller->helperPid(), 0);
        controller->showConfig();
        QTRY_COMPARE(recorded().last(), start + u" --geometry R0VP"_s);

        // A killed helper is replaced on the next show.
        ::kill(pid_t(controller->helperPid()), SIGKILL);
        QTRY_COMPARE(controller->helperPid(), 0);
        controller->showConfig();
        QTRY_COMPARE(recorded().count(start + u" --geometry R0VP"_s), 2);

        // Quitting the app ends the helper.
        controller.reset();
        QCOMPARE(recorded().last(), u"eof"_s);
        QVERIFY(prompts->warnings.isEmpty());
    }

    void helperThatCannotStartIsReportedEachTime()
    {
        const QString prefix = u"Could not open the configuration page: "_s;
        auto prompts = std::make_shared<RecordingPrompts>();
        ConfigWindowController controller(m_dir.filePath(u"missing"_s), prompts, pageUrl);
        controller.showConfig();
        QTRY_COMPARE(prompts->warnings.size(), 1);
        QVERIFY(prompts->warnings[0].startsWith(prefix));
        QVERIFY(prompts->warnings[0].size() > prefix.size());
        controller.showConfig();
        QTRY_COMPARE(prompts->warnings.size(), 2);
    }
};

QTEST_MAIN(TestConfigWindow)
#include "tst_configwindow.moc"
