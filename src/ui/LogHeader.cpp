#include "ui/LogHeader.h"

#include "log/LogTailer.h"
#include "platform/PlatformTexts.h"
#include "ui/Divider.h"
#include "ui/LinkButton.h"
#include "ui/ToneLabel.h"

#include <QEvent>
#include <QHBoxLayout>

using namespace Qt::StringLiterals;

namespace {

LinkButton *makeLinkButton(const QString &objectName, const QString &text, QWidget *parent)
{
    auto *button = new LinkButton(text, parent);
    button->setObjectName(objectName);
    button->setFont(Theme::systemFont(12));
    return button;
}

} // namespace

LogHeader::LogHeader(LogTailer &logTailer, QWidget *parent)
    : QWidget(parent)
    , m_logTailer(logTailer)
    , m_export(makeLinkButton(u"exportButton"_s, tr("Export…"), this))
    , m_share(makeLinkButton(u"shareButton"_s, tr("Share…"), this))
{
    setObjectName(u"logHeader"_s);
    auto *title =
        new ToneLabel(u"logTitle"_s, Tone::secondary, Theme::systemFont(12, QFont::DemiBold), this);
    title->setText(tr("Log"));
    title->lower(); // read first
    auto *console = makeLinkButton(u"consoleButton"_s, openLogLabel(), this);
    auto *reveal = makeLinkButton(u"revealButton"_s, revealLogLabel(), this);

    connect(m_export, &QAbstractButton::clicked, this, [this] { m_logTailer.exportLog(); });
    connect(m_share, &QAbstractButton::clicked, this, &LogHeader::shareRequested);
    connect(console, &QAbstractButton::clicked, this, [this] { m_logTailer.openInConsole(); });
    connect(reveal, &QAbstractButton::clicked, this,
            [this] { m_logTailer.openContainingFolder(); });

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(title);
    layout->addStretch(1);
    layout->addWidget(m_export);
    layout->addWidget(m_share);
    layout->addWidget(new Divider(Qt::Vertical, this));
    layout->addWidget(console);
    layout->addWidget(reveal);

    refresh();
}

void LogHeader::refresh()
{
    const bool fileReadable = !m_logTailer.fileError().has_value();
    m_export->setEnabled(fileReadable);
    m_share->setEnabled(fileReadable);
}

void LogHeader::attachShareAnchor(QWidget *anchor)
{
    m_anchor = anchor;
    anchor->setParent(m_share);
    anchor->setAttribute(Qt::WA_TransparentForMouseEvents);
    anchor->setFixedSize(1, 1);
    anchor->lower();
    anchor->show();
    m_share->installEventFilter(this);
    centreAnchor();
}

bool LogHeader::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_share && event->type() == QEvent::Resize)
        centreAnchor();
    return QWidget::eventFilter(watched, event);
}

void LogHeader::centreAnchor()
{
    m_anchor->move(m_share->width() / 2, m_share->height() / 2);
}
