#include "app/PopupPanel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr Qt::WindowFlags popupFlags = Qt::Popup | Qt::FramelessWindowHint;

} // namespace

PopupPanel::PopupPanel(QWidget *content)
    : QWidget(nullptr, popupFlags)
{
    setObjectName(u"popover"_s);
    setWindowTitle(u"Korvel Printer"_s);
    setFixedSize(520, 720);
    // Focusable, but not a Tab stop of its own.
    setFocusPolicy(Qt::ClickFocus);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
}

void PopupPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    setFocus(Qt::PopupFocusReason);
}

void PopupPanel::mousePressEvent(QMouseEvent *event)
{
    if (!rect().contains(event->position().toPoint()))
        Q_EMIT outsidePress(event->globalPosition().toPoint());
    // The popup's own handling hides it.
    QWidget::mousePressEvent(event);
}

void PopupPanel::setAsWindow(bool asWindow)
{
    const Qt::WindowFlags flags = asWindow ? Qt::Window : popupFlags;
    // Setting the flags hides the widget and drops its native window: only when they change.
    if (windowFlags() != flags)
        setWindowFlags(flags);
}

void PopupPanel::keyPressEvent(QKeyEvent *event)
{
    // A popup closes itself on Escape; a window does not.
    if (windowType() == Qt::Window && event->matches(QKeySequence::Cancel)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PopupPanel::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (windowType() == Qt::Window)
        Q_EMIT windowClosed();
}
