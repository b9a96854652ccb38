#include "app/WebConfigPageView.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>

using namespace Qt::StringLiterals;

WebConfigPageView::WebConfigPageView(QWidget *parent)
    : QWebEngineView(parent)
{
    setObjectName(u"configPage"_s);
    // A profile must outlive its pages: as the page's child it goes after it.
    auto *profile = new QWebEngineProfile;
    auto *page = new QWebEnginePage(profile, this);
    profile->setParent(page);
    setPage(page);
}

extern "C" Q_DECL_EXPORT ConfigPageView *korvel_make_config_page_view(QWidget *parent)
{
    return new WebConfigPageView(parent);
}
