#pragma once

#include <QAccessibleApplication>

// The application as assistive technologies see it. Qt leaves popup windows out of the
// application's children, and the panel is a popup, so nothing of it could be reached; here a
// shown popup is a child like any other window.
class ApplicationAccessible : public QAccessibleApplication
{
public:
    // Before anything asks for the application's interface: Qt keeps the first one it made.
    static void installFactory();

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    QObjectList windows() const;
};
