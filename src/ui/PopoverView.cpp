#include "ui/PopoverView.h"

#include "models/PanelModels.h"
#include "ui/ConnectionsCard.h"
#include "ui/Divider.h"
#include "ui/LogHeader.h"
#include "ui/LogView.h"
#include "ui/PrinterSection.h"
#include "ui/SharePickerAnchor.h"
#include "ui/StatusCard.h"
#include "ui/ToneLabel.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

PopoverView::PopoverView(PanelModels &models, std::function<void()> openConfig,
                         SharePicker &sharePicker, QWidget *parent)
    : QWidget(parent)
    , m_logTailer(models.logTailer)
    , m_connectionsCard(new ConnectionsCard(models.configSummary, std::move(openConfig), this))
    , m_statusCard(new StatusCard(models.serviceStatus, this))
    , m_printerSection(new PrinterSection(models.printerList, this))
    , m_logHeader(new LogHeader(models.logTailer, this))
    , m_logView(new LogView(models.logTailer, this))
    , m_shareAnchor(new SharePickerAnchor(
          [this] { return m_shareItems; }, [this] { return m_presentShareSheet; },
          [this](bool presented) { m_presentShareSheet = presented; }, sharePicker))
{
    setObjectName(u"popoverView"_s);
    setFixedSize(520, 720);
    m_shareAnchor->setObjectName(u"shareAnchor"_s);
    m_logHeader->attachShareAnchor(m_shareAnchor);
    connect(m_logHeader, &LogHeader::shareRequested, this, &PopoverView::shareLog);

    auto *divider = new Divider(Qt::Horizontal, this);
    divider->setObjectName(u"headerDivider"_s);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(12);
    QWidget *header = makeHeader();
    // Screen readers take a panel's parts in the order they were made; the header and its
    // divider, made after the cards, go to the front.
    divider->lower();
    header->lower();
    layout->addWidget(header);
    layout->addWidget(divider);
    layout->addWidget(m_connectionsCard);
    layout->addWidget(m_statusCard);
    layout->addWidget(m_printerSection);
    layout->addWidget(m_logHeader);
    layout->addWidget(m_logView, 1);
    layout->addWidget(makeFooter());

    // Only the section whose model signalled is refreshed. The age of the printer list's answer
    // moves on with the clock, so it is recomputed on every model change, as if the whole panel
    // were rebuilt.
    connect(&models.configSummary, &FetchModel::changed, this, [this] {
        m_connectionsCard->refresh();
        m_printerSection->refreshAge();
    });
    for (auto signal : {&ServiceStatus::stateChanged, &ServiceStatus::apiReachableChanged})
        connect(&models.serviceStatus, signal, this, [this] {
            m_statusCard->refresh();
            m_printerSection->refreshAge();
        });
    connect(&models.printerList, &FetchModel::changed, m_printerSection, &PrinterSection::refresh);
    for (auto signal : {&LogTailer::linesChanged, &LogTailer::fileErrorChanged})
        connect(&models.logTailer, signal, this, [this] {
            m_logHeader->refresh();
            m_logView->refresh();
            m_printerSection->refreshAge();
        });
}

QWidget *PopoverView::makeHeader()
{
    auto *header = new QWidget(this);
    header->setObjectName(u"header"_s);
    auto *title = new ToneLabel(u"headerTitle"_s, Tone::primary, Theme::headlineFont(), header);
    title->setText(tr("Korvel Printer"));
    auto *api = new ToneLabel(u"apiLabel"_s, Tone::secondary, Theme::captionFont(), header);
    api->setText(tr("API :9020"));
    auto *layout = new QHBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    layout->addStretch(1);
    layout->addWidget(api);
    return header;
}

QWidget *PopoverView::makeFooter()
{
    auto *footer = new QWidget(this);
    footer->setObjectName(u"footer"_s);
    auto *quit = new QPushButton(tr("Quit"), footer);
    quit->setObjectName(u"quitButton"_s);
    quit->setAutoDefault(false);
    // Qt::CTRL is the Command key on macOS.
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QPushButton::clicked, qApp, &QCoreApplication::quit);
    auto *layout = new QHBoxLayout(footer);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1);
    layout->addWidget(quit);
    return footer;
}

// Buttons take Space themselves; Enter presses the focused one too, as it would in a dialog.
void PopoverView::keyPressEvent(QKeyEvent *event)
{
    auto *button = qobject_cast<QAbstractButton *>(focusWidget());
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && button && button->isEnabled() && button->hasFocus())
        button->animateClick();
    else
        QWidget::keyPressEvent(event);
}

void PopoverView::shareLog()
{
    const std::optional<QString> path = m_logTailer.prepareShareableLog();
    if (!path)
        return;
    m_shareItems = {QUrl::fromLocalFile(*path)};
    m_presentShareSheet = true;
    m_shareAnchor->sync();
}
