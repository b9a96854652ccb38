#include "AppFakes.h"
#include "app/ConfigWindowController.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;

class TestConfigWindow : public QObject
{
    Q_OBJECT

    FakePageView *m_page = nullptr;
    int m_pagesMade = 0;

    ConfigPageFactory factory()
    {
        return [this](QWidget *) {
            ++m_pagesMade;
            return makeKept(m_page);
        };
    }

private Q_SLOTS:
    void init()
    {
        m_page = nullptr;
        m_pagesMade = 0;
    }

    // The first show makes the view and centres the window. Later calls reload the page in the
    // same window and leave where the user put it alone, whether the window was still open or
    // had been closed.
    void showThenShowAgain_data()
    {
        QTest::addColumn<bool>("closeFirst");
        QTest::newRow("still open") << false;
        QTest::newRow("closed by the user") << true;
    }

    void showThenShowAgain()
    {
        QFETCH(bool, closeFirst);
        ConfigWindowController controller(factory());
        QWidget *window = controller.window();
        QVERIFY(!window->isVisible());
        QCOMPARE(m_pagesMade, 0);
        QCOMPARE(window->windowTitle(), u"Korvel Printer — Cấu hình"_s);

        controller.showConfig();
        QVERIFY(window->isVisible());
        QCOMPARE(window->size(), QSize(720, 640));
        const QPoint offCentre = window->geometry().center() -
                                 QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 6, "the window is centred on the screen");
        QCOMPARE(m_page->loads, QList<QUrl>{QUrl(u"http://127.0.0.1:9020/"_s)});
        QVERIFY(m_page->widget()->isVisible());

        window->move(window->pos() + QPoint(37, 21));
        window->resize(800, 500);
        const QRect placed = window->geometry();
        if (closeFirst) {
            QVERIFY(window->close());
            QVERIFY(!window->isVisible());
        }
        controller.showConfig();
        QCOMPARE(controller.window(), window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->geometry(), placed);
        QCOMPARE(m_pagesMade, 1);
        QCOMPARE(m_page->loads.size(), 2);
    }

    void withoutWebViewTheWindowExplainsWhy()
    {
        ConfigWindowController controller([](QWidget *) { return nullptr; });
        controller.showConfig();
        controller.showConfig();
        QVERIFY(controller.window()->isVisible());
        const auto *message = controller.window()->findChild<QLabel *>(u"configPageMissing"_s);
        QVERIFY(message && message->isVisible());
        QVERIFY(!message->text().isEmpty());
    }
};

QTEST_MAIN(TestConfigWindow)
#include "tst_configwindow.moc"
