#include "app/WebConfigPageView.h"

#include "app/DaemonOnlyPage.h"

#include <QWebEngineProfile>

using namespace Qt::StringLiterals;

WebConfigPageView::WebConfigPageView(const QUrl &daemon)
{
    setObjectName(u"configPage"_s);
    // A profile must outlive its pages: as the page's child it goes after it.
    auto *profile = new QWebEngineProfile;
    auto *page = new DaemonOnlyPage(daemon, profile, this);
    profile->setParent(page);
    setPage(page);
}

void WebConfigPageView::onLoadFinished(std::function<void()> finished)
{
    connect(this, &QWebEngineView::loadFinished, this, [finished](bool) { finished(); });
}
