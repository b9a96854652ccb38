#pragma once

#include "ui/Theme.h"

#include <QWidget>

// The service card's 10 × 10 dot, in the tone of the daemon's state.
class StatusDot : public QWidget
{
    Q_OBJECT

public:
    explicit StatusDot(QWidget *parent = nullptr);

    Tone tone() const { return m_tone; }
    void setTone(Tone tone);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Tone m_tone = Tone::red;
};
