#include "app/ConfigPageWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

ConfigPageWindow::ConfigPageWindow(std::unique_ptr<ConfigPageView> page, const QUrl &url,
                                   const QByteArray &savedGeometry,
                                   std::chrono::milliseconds requestTimeout)
    : m_url(url)
    , m_page(std::move(page))
{
    setObjectName(u"configWindow"_s);
    setWindowTitle(u"Korvel Printer — Cấu hình"_s);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_page->widget());
    if (savedGeometry.isEmpty() || !restoreGeometry(savedGeometry)) {
        resize(720, 640);
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), size());
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    m_requestTimeout.setSingleShot(true);
    m_requestTimeout.setInterval(requestTimeout);
    connect(&m_requestTimeout, &QTimer::timeout, this, [this] { m_page->stop(); });
    m_page->onLoadFinished([this] { m_requestTimeout.stop(); });
}

// The page view is a child of the window and is deleted with it, not by the unique_ptr.
ConfigPageWindow::~ConfigPageWindow()
{
    m_page->widget()->setParent(nullptr);
}

void ConfigPageWindow::showConfig()
{
    m_page->load(m_url);
    m_requestTimeout.start();
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void ConfigPageWindow::closeEvent(QCloseEvent *event)
{
    m_requestTimeout.stop();
    Q_EMIT closed(saveGeometry());
    event->accept();
}
