#include "ui/PrinterSection.h"

#include "daemon/PrinterList.h"
#include "ui/PanelTexts.h"
#include "ui/PrinterRowDelegate.h"
#include "ui/RefreshButton.h"
#include "ui/RelativeTime.h"
#include "ui/ToneLabel.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListView>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStringListModel>
#include <QVBoxLayout>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int maxListHeight = 90;

} // namespace

PrinterSection::PrinterSection(PrinterList &printerList, QWidget *parent)
    : Card(parent)
    , m_printerList(printerList)
    , m_count(new ToneLabel(u"printerCount"_s, Tone::secondary, Theme::captionFont(), this))
    , m_age(new ToneLabel(u"printerAge"_s, Tone::secondary, Theme::caption2Font(), this))
    , m_refresh(new RefreshButton(tr("Refresh"), this))
    , m_error(new ToneLabel(u"printerError"_s, Tone::red, Theme::captionFont(), this))
    , m_names(new QStringListModel(this))
    , m_list(new QListView(this))
    , m_placeholder(
          new ToneLabel(u"printerPlaceholder"_s, Tone::secondary, Theme::captionFont(), this))
{
    setObjectName(u"printerSection"_s);
    m_refresh->setObjectName(u"refreshButton"_s);
    m_refresh->setFont(Theme::systemFont(12));
    m_refresh->setAccessibleDescription(tr("Asks the daemon for its printers again"));
    connect(m_refresh, &QAbstractButton::clicked, this, [this] { m_printerList.refresh(); });
    m_error->setWordWrap(true);
    m_placeholder->setWordWrap(true);
    m_placeholder->setTextFormat(Qt::RichText);

    auto *title = new ToneLabel(u"printersTitle"_s, Tone::secondary,
                                Theme::systemFont(12, QFont::DemiBold), this);
    title->setText(tr("Printers"));
    title->lower(); // read first
    auto *header = new QHBoxLayout;
    header->setSpacing(6);
    header->addWidget(title);
    header->addWidget(m_count);
    header->addStretch(1);
    header->addWidget(m_age);
    header->addWidget(m_refresh);

    // One view draws every row, so a list of any length costs only the rows in sight; their
    // heights are measured in batches between events.
    m_list->setObjectName(u"printerScroll"_s);
    m_list->setAccessibleName(tr("Printers"));
    m_list->setModel(m_names);
    m_list->setItemDelegate(new PrinterRowDelegate(m_list));
    m_list->setFont(Theme::monospaceFont(12));
    m_list->setLayoutMode(QListView::Batched);
    m_list->setWordWrap(true); // lays the rows out again when the width changes
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->installEventFilter(this);
    // The rows sit on the card itself.
    m_list->viewport()->setAutoFillBackground(false);
    Theme::makeScrollBarSlim(m_list->verticalScrollBar());
    auto *copy = new QAction(tr("Copy"), m_list);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &PrinterSection::copySelectedNames);
    m_list->addAction(copy);
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(6);
    layout->addLayout(header);
    layout->addWidget(m_error);
    layout->addWidget(m_list);
    layout->addWidget(m_placeholder);

    refresh();
}

void PrinterSection::refresh()
{
    const QStringList printers = m_printerList.printers();
    const std::optional<QString> error = m_printerList.lastError();

    m_count->setVisible(!printers.isEmpty());
    m_count->setText(PanelTexts::printerCountText(printers.size()));
    m_count->setAccessibleName(PanelTexts::printerCountName(printers.size()));
    m_refresh->setEnabled(!m_printerList.isLoading());
    m_refresh->setSpinning(m_printerList.isLoading());
    refreshAge();

    m_error->setVisible(error.has_value());
    m_list->setVisible(!error && !printers.isEmpty());
    m_placeholder->setVisible(!error && printers.isEmpty());
    if (error)
        m_error->setText(PanelTexts::printerErrorText(*error));
    else if (printers.isEmpty())
        m_placeholder->setText(
            PanelTexts::printerPlaceholderHtml(m_printerList.lastRefreshAt().has_value()));
    showPrinters(error ? QStringList() : printers);
}

void PrinterSection::refreshAge()
{
    const std::optional<QDateTime> answeredAt = m_printerList.lastRefreshAt();
    m_age->setVisible(answeredAt.has_value());
    if (!answeredAt)
        return;
    m_age->setText(relativeTimeString(*answeredAt));
    m_age->setAccessibleName(PanelTexts::printerAgeName(m_age->text()));
}

void PrinterSection::showPrinters(const QStringList &printers)
{
    // An unchanged list keeps its rows (and the user's selection); a changed one replaces them all
    // at once.
    if (m_names->stringList() == printers)
        return;
    m_names->setStringList(printers);
    fitListHeight();
}

// The list is as tall as its wrapped rows, up to its limit; beyond that it scrolls. Only the rows
// within the limit are measured.
void PrinterSection::fitListHeight()
{
    QStyleOptionViewItem option;
    option.initFrom(m_list);
    option.font = m_list->font();
    option.rect = m_list->viewport()->rect();
    int height = 0;
    for (int row = 0; row < m_names->rowCount() && height < maxListHeight; ++row)
        height += m_list->itemDelegate()->sizeHint(option, m_names->index(row)).height();
    m_list->setFixedHeight(std::min(height, maxListHeight));
}

// The selected names, one a line, in the list's order.
void PrinterSection::copySelectedNames()
{
    QModelIndexList rows = m_list->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    QStringList names;
    for (const QModelIndex &row : rows)
        names.append(row.data().toString());
    QGuiApplication::clipboard()->setText(names.join(u'\n'));
}

// Refitted when the width changes, which moves the wraps.
bool PrinterSection::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::Resize &&
        static_cast<QResizeEvent *>(event)->oldSize().width() != m_list->width())
        fitListHeight();
    return Card::eventFilter(watched, event);
}
