#pragma once

#include <QAccessibleWidget>

// What assistive technologies see of the panel's own painted widgets, which Qt cannot know: a
// fixed role and the name the widget keeps in its accessible name. A widget read as one line
// (a slot row) has no children of its own, so its parts are not read a second time.
class WidgetAccessible : public QAccessibleWidget
{
public:
    WidgetAccessible(QWidget *widget, QAccessible::Role role, bool readAsOne = false);

    // Gives the panel's painted widgets this interface.
    static void installFactory();

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    bool m_readAsOne;
};
