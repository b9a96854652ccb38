#pragma once

#include "platform/SharePicker.h"

#include <QCoreApplication>
#include <QString>

// Helpers the share menu starts; tests point them at fakes.
struct LinuxShareTools
{
    QString xdgEmail = QStringLiteral("xdg-email");
    QString xdgOpen = QStringLiteral("xdg-open");
};

// A menu under the anchor: attach to an email, copy the file to the clipboard, or open its folder.
class LinuxSharePicker : public SharePicker
{
    Q_DECLARE_TR_FUNCTIONS(LinuxSharePicker)

public:
    explicit LinuxSharePicker(const LinuxShareTools &tools = {});

    void show(const QList<QUrl> &items, QWidget *anchor) override;

private:
    LinuxShareTools m_tools;
};
