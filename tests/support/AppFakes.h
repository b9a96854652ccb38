#pragma once

#include "app/Popover.h"
#include "app/StatusItem.h"

#include <QWidget>
#include <memory>
#include <optional>

// Makes a T for the code under test and keeps a pointer to it in `made`.
template<typename T>
std::unique_ptr<T> makeKept(T *&made)
{
    auto object = std::make_unique<T>();
    made = object.get();
    return object;
}

// A status item that keeps the title it was given; clicks are emitted by the test.
class FakeStatusItem : public StatusItem
{
public:
    std::optional<QString> title;

    void setImage(const QImage &) override {}
    void setTitle(const QString &value) override { title = value; }
    void setBadge(ServiceState::Kind) override {}
    void setToolTip(const QString &) override {}
    void showMessage(const QString &, const QString &) override {}
    QRect geometry() const override { return {1000, 0, 24, 24}; }
    void click() { Q_EMIT clicked(); }
};

class FakePopover : public Popover
{
public:
    bool shown = false;

    bool isShown() const override { return shown; }
    void showBelow(const QRect &) override { shown = true; }
    void close() override { shown = false; }
};
