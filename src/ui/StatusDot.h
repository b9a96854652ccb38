#pragma once

#include <QWidget>

// The service card's 10 × 10 dot: green while the daemon runs, red otherwise.
class StatusDot : public QWidget
{
    Q_OBJECT

public:
    explicit StatusDot(QWidget *parent = nullptr);

    bool running() const { return m_running; }
    void setRunning(bool running);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_running = false;
};
