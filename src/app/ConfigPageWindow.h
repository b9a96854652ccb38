#pragma once

#include "app/ConfigPageView.h"

#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <chrono>
#include <memory>

// The configuration helper's one window on the daemon's page. Placed where the previous
// window was left (`savedGeometry`, from QWidget::saveGeometry()), or centred at its first size.
class ConfigPageWindow : public QWidget
{
    Q_OBJECT

public:
    ConfigPageWindow(std::unique_ptr<ConfigPageView> page, const QUrl &url,
                     const QByteArray &savedGeometry,
                     std::chrono::milliseconds requestTimeout = std::chrono::seconds(60));
    ~ConfigPageWindow() override;

    // Loads the page again and brings the window to the front.
    void showConfig();

Q_SIGNALS:
    // The user closed the window; `geometry` says where it was.
    void closed(const QByteArray &geometry);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    const QUrl m_url;
    // Bounds the wait for the page itself; a later navigation, such as a form save, is the
    // engine's to finish.
    QTimer m_requestTimeout;
    std::unique_ptr<ConfigPageView> m_page;
};
