#include "app/WebConfigPageView.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>

using namespace Qt::StringLiterals;

WebConfigPageView::WebConfigPageView()
{
    setObjectName(u"configPage"_s);
    // A profile must outlive its pages: as the page's child it goes after it.
    auto *profile = new QWebEngineProfile;
    auto *page = new QWebEnginePage(profile, this);
    profile->setParent(page);
    setPage(page);
}

void WebConfigPageView::onLoadFinished(std::function<void()> finished)
{
    connect(this, &QWebEngineView::loadFinished, this, [finished](bool) { finished(); });
}
