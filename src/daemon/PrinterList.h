#pragma once

#include "daemon/DaemonFetch.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <optional>

// The printers the daemon reports at /printers, fetched on demand.
class PrinterList : public QObject
{
    Q_OBJECT

public:
    explicit PrinterList(const QString &endpoint, QObject *parent = nullptr);

    QStringList printers() const;
    std::optional<QString> lastError() const;
    std::optional<QDateTime> lastRefreshAt() const;
    bool isLoading() const;
    QUrl url() const;

    void refresh();
    // Cancels the request in flight, if any, and forgets it (closing the popover).
    void cancel();

Q_SIGNALS:
    void printersChanged();
    void lastErrorChanged();
    void lastRefreshAtChanged();
    void isLoadingChanged();

private:
    void apply(const DaemonAnswer &answer);
    void setLoading(bool loading);

    QStringList m_printers;
    std::optional<QString> m_lastError;
    std::optional<QDateTime> m_lastRefreshAt;
    bool m_isLoading = false;
    QUrl m_url;
    DaemonFetch m_fetch;
};
