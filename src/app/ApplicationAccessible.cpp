#include "app/ApplicationAccessible.h"

#include <QAccessibleWidget>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {

QAccessibleInterface *applicationInterface(const QString &className, QObject *object)
{
    // The panel's popup is a window, not a filler inside one.
    if (className == "PanelWindow"_L1)
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    if (object != QCoreApplication::instance() || className != "QApplication"_L1)
        return nullptr;
    return new ApplicationAccessible;
}

} // namespace

void ApplicationAccessible::installFactory()
{
    QAccessible::installFactory(applicationInterface);
}

QObjectList ApplicationAccessible::windows() const
{
    QObjectList objects;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        const bool hiddenPopup = window->type() == Qt::Popup && !window->isVisible();
        if (window->type() == Qt::Desktop || hiddenPopup)
            continue;
        if (QAccessibleInterface *root = window->accessibleRoot(); root && root->object())
            objects.append(root->object());
    }
    return objects;
}

int ApplicationAccessible::childCount() const
{
    return int(windows().size());
}

QAccessibleInterface *ApplicationAccessible::child(int index) const
{
    const QObjectList objects = windows();
    if (index < 0 || index >= objects.size())
        return nullptr;
    return QAccessible::queryAccessibleInterface(objects.at(index));
}

int ApplicationAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return child ? int(windows().indexOf(child->object())) : -1;
}
