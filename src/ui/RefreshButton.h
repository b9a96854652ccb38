#pragma once

#include "ui/LinkButton.h"

#include <QVariantAnimation>

// The printer section's link-style Refresh button, whose arrow spins while a refresh runs. The
// animation runs only while spinning (and settling back) and only while the button is visible.
class RefreshButton : public LinkButton
{
    Q_OBJECT

public:
    explicit RefreshButton(const QString &text, QWidget *parent = nullptr);

    bool isSpinning() const { return m_spinning; }
    void setSpinning(bool spinning);
    bool isAnimating() const { return m_animation.state() == QAbstractAnimation::Running; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void startSpin();
    void settle();

    QVariantAnimation m_animation;
    qreal m_angle = 0;
    bool m_spinning = false;
};
