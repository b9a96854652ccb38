#pragma once

#include "daemon/DaemonFetch.h"

#include <QObject>
#include <QUrl>
#include <optional>

// A model of one daemon endpoint, fetched on demand: at most one request in flight, a loading
// flag, the last answer's error text, and one change signal per answer.
class FetchModel : public QObject
{
    Q_OBJECT

public:
    std::optional<QString> lastError() const { return m_lastError; }
    bool isLoading() const { return m_isLoading; }
    QUrl url() const { return m_url; }

    // Replaces the request in flight, if any. The loading flag is set on a later turn of the main
    // loop, as every published value is, so it is still unset when refresh() returns.
    void refresh();
    // Cancels the request in flight, if any, and forgets it (closing the popover).
    void cancel();

Q_SIGNALS:
    // Once the loading flag is set, and once each answer is taken in whole (the loading flag
    // cleared with it), also when nothing in it differs from before.
    void changed();

protected:
    FetchModel(const QUrl &url, QObject *parent);

    // Takes in an answer, our own cancel's included.
    virtual void take(const DaemonAnswer &answer) = 0;
    void setLastError(const std::optional<QString> &error) { m_lastError = error; }

private:
    const QUrl m_url;
    std::optional<QString> m_lastError;
    bool m_isLoading = false;
    DaemonFetch m_fetch;
};
