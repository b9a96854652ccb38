#include "app/PopupPanel.h"

#include <QMouseEvent>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

PopupPanel::PopupPanel(QWidget *content)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint)
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
