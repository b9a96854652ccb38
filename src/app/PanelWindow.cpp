#include "app/PanelWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

Qt::WindowFlags flagsFor(PanelStyle style)
{
    switch (style) {
    case PanelStyle::popup:
        return Qt::Popup | Qt::FramelessWindowHint;
    case PanelStyle::focusedPanel:
        // A tool window stays out of the taskbar and the window switcher.
        return Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    case PanelStyle::titledWindow:
        break;
    }
    return Qt::Window;
}

} // namespace

PanelWindow::PanelWindow(QWidget *content)
    : QWidget(nullptr, flagsFor(PanelStyle::popup))
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

void PanelWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    setFocus(Qt::PopupFocusReason);
}

void PanelWindow::mousePressEvent(QMouseEvent *event)
{
    if (!rect().contains(event->position().toPoint()))
        Q_EMIT outsidePress(event->globalPosition().toPoint());
    // The popup's own handling hides it.
    QWidget::mousePressEvent(event);
}

void PanelWindow::setStyle(PanelStyle style)
{
    m_style = style;
    const Qt::WindowFlags flags = flagsFor(style);
    // Setting the flags hides the widget and drops its native window: only when they change.
    if (windowFlags() != flags)
        setWindowFlags(flags);
}

void PanelWindow::keyPressEvent(QKeyEvent *event)
{
    // A popup closes itself on Escape; the windows do not.
    if (m_style != PanelStyle::popup && event->matches(QKeySequence::Cancel)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PanelWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (m_style == PanelStyle::titledWindow)
        Q_EMIT windowClosed();
}

void PanelWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && m_style == PanelStyle::focusedPanel &&
        !isActiveWindow())
        // Decided once the focus has landed: it may have gone to our own dialog or menu.
        QTimer::singleShot(0, this, &PanelWindow::hideIfFocusLeftApp);
}

void PanelWindow::hideIfFocusLeftApp()
{
    if (!isVisible() || QApplication::activeWindow() || QApplication::activePopupWidget())
        return;
    hide();
    Q_EMIT focusLost();
}
