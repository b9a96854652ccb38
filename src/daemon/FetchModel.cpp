#include "daemon/FetchModel.h"

#include "core/Dispatch.h"

FetchModel::FetchModel(const QUrl &url, QObject *parent)
    : QObject(parent)
    , m_url(url)
    , m_fetch(this)
{}

void FetchModel::refresh()
{
    m_fetch.cancel();
    Dispatch::toMain(this, [this] {
        m_isLoading = true;
        Q_EMIT changed();
    });
    m_fetch.start(m_url, [this](const DaemonAnswer &answer) {
        m_isLoading = false;
        take(answer);
        Q_EMIT changed();
    });
}

void FetchModel::cancel()
{
    m_fetch.cancel();
}
