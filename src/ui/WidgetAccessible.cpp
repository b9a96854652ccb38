#include "ui/WidgetAccessible.h"

#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

struct PaintedWidget
{
    QLatin1StringView className;
    QAccessible::Role role;
    bool readAsOne;
};

const PaintedWidget paintedWidgets[] = {
    {"SlotRow"_L1, QAccessible::StaticText, true},
    {"ElidedLabel"_L1, QAccessible::StaticText, false},
    {"StatusDot"_L1, QAccessible::Graphic, false},
    {"Spinner"_L1, QAccessible::Animation, false},
    {"Divider"_L1, QAccessible::Separator, false},
};

QAccessibleInterface *panelInterface(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    for (const PaintedWidget &painted : paintedWidgets) {
        if (className == painted.className)
            return new WidgetAccessible(static_cast<QWidget *>(object), painted.role,
                                        painted.readAsOne);
    }
    return nullptr;
}

} // namespace

WidgetAccessible::WidgetAccessible(QWidget *widget, QAccessible::Role role, bool readAsOne)
    : QAccessibleWidget(widget, role)
    , m_readAsOne(readAsOne)
{}

void WidgetAccessible::installFactory()
{
    QAccessible::installFactory(panelInterface);
}

int WidgetAccessible::childCount() const
{
    return m_readAsOne ? 0 : QAccessibleWidget::childCount();
}

QAccessibleInterface *WidgetAccessible::child(int index) const
{
    return m_readAsOne ? nullptr : QAccessibleWidget::child(index);
}

QAccessibleInterface *WidgetAccessible::childAt(int x, int y) const
{
    return m_readAsOne ? nullptr : QAccessibleWidget::childAt(x, y);
}

int WidgetAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return m_readAsOne ? -1 : QAccessibleWidget::indexOfChild(child);
}
