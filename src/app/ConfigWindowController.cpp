#include "app/ConfigWindowController.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

constexpr QSize windowSize{720, 640};
constexpr std::chrono::seconds loadTimeout{60};

} // namespace

ConfigWindowController::ConfigWindowController(ConfigPageFactory makePage, const QUrl &url,
                                               QObject *parent)
    : QObject(parent)
    , m_url(url)
    , m_makePage(std::move(makePage))
    , m_window(std::make_unique<QWidget>())
{
    m_window->setObjectName(u"configWindow"_s);
    m_window->setWindowTitle(u"Korvel Printer — Cấu hình"_s);
    m_window->resize(windowSize);
    auto *layout = new QVBoxLayout(m_window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    m_loadTimeout.setSingleShot(true);
    m_loadTimeout.setInterval(loadTimeout);
    connect(&m_loadTimeout, &QTimer::timeout, this, [this] {
        if (m_webView)
            m_webView->stop();
    });
}

void ConfigWindowController::createWebView()
{
    m_webView = m_makePage ? m_makePage(m_window.get()) : nullptr;
    QWidget *content = nullptr;
    if (m_webView) {
        content = m_webView->widget();
    } else {
        auto *message = new QLabel(
            u"The configuration page cannot be shown: the web view component is missing."_s);
        message->setObjectName(u"configPageMissing"_s);
        message->setAlignment(Qt::AlignCenter);
        message->setWordWrap(true);
        content = message;
    }
    m_window->layout()->addWidget(content);
}

void ConfigWindowController::showConfig()
{
    if (!m_shownBefore) {
        createWebView();
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), m_window->size());
            frame.moveCenter(screen->availableGeometry().center());
            m_window->move(frame.topLeft());
        }
        m_shownBefore = true;
    }
    if (m_webView) {
        m_webView->load(m_url);
        m_loadTimeout.start();
    }
    m_window->show();
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->raise();
    m_window->activateWindow();
}
