#include "ui/PrinterSection.h"

#include "daemon/PrinterList.h"
#include "ui/PanelTexts.h"
#include "ui/PrinterGlyph.h"
#include "ui/RefreshButton.h"
#include "ui/RelativeTime.h"
#include "ui/ToneLabel.h"
#include "ui/WrappingText.h"

#include <QHBoxLayout>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int maxListHeight = 90;

QWidget *makePrinterRow(const QString &name, QWidget *parent)
{
    auto *row = new QWidget(parent);
    row->setObjectName(u"printerRow"_s);
    auto *label = new WrappingText(u"printerName"_s, Theme::monospaceFont(12), row);
    label->setPlainText(name);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(new PrinterGlyph(Tone::secondary, row));
    layout->addWidget(label);
    layout->addStretch(1);
    return row;
}

} // namespace

PrinterSection::PrinterSection(PrinterList &printerList, QWidget *parent)
    : Card(parent)
    , m_printerList(printerList)
    , m_count(new ToneLabel(u"printerCount"_s, Tone::secondary, Theme::captionFont(), this))
    , m_age(new ToneLabel(u"printerAge"_s, Tone::secondary, Theme::caption2Font(), this))
    , m_refresh(new RefreshButton(tr("Refresh"), this))
    , m_error(new ToneLabel(u"printerError"_s, Tone::red, Theme::captionFont(), this))
    , m_scroll(new QScrollArea(this))
    , m_placeholder(
          new ToneLabel(u"printerPlaceholder"_s, Tone::secondary, Theme::captionFont(), this))
{
    setObjectName(u"printerSection"_s);
    m_refresh->setObjectName(u"refreshButton"_s);
    m_refresh->setFont(Theme::systemFont(12));
    connect(m_refresh, &QAbstractButton::clicked, this, [this] { m_printerList.refresh(); });
    m_error->setWordWrap(true);
    m_placeholder->setWordWrap(true);
    m_placeholder->setTextFormat(Qt::RichText);

    auto *title = new ToneLabel(u"printersTitle"_s, Tone::secondary,
                                Theme::systemFont(12, QFont::DemiBold), this);
    title->setText(tr("Printers"));
    auto *header = new QHBoxLayout;
    header->setSpacing(6);
    header->addWidget(title);
    header->addWidget(m_count);
    header->addStretch(1);
    header->addWidget(m_age);
    header->addWidget(m_refresh);

    auto *rows = new QWidget;
    rows->setObjectName(u"printerRows"_s);
    m_rowsLayout = new QVBoxLayout(rows);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(3);
    m_scroll->setObjectName(u"printerScroll"_s);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setMaximumHeight(maxListHeight);
    m_scroll->setWidget(rows);
    m_scroll->installEventFilter(this);
    rows->installEventFilter(this);
    // The rows sit on the card itself.
    rows->setAutoFillBackground(false);
    m_scroll->viewport()->setAutoFillBackground(false);
    Theme::makeScrollBarSlim(m_scroll->verticalScrollBar());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(6);
    layout->addLayout(header);
    layout->addWidget(m_error);
    layout->addWidget(m_scroll);
    layout->addWidget(m_placeholder);

    refresh();
}

void PrinterSection::refresh()
{
    const QStringList printers = m_printerList.printers();
    const std::optional<QString> error = m_printerList.lastError();

    m_count->setVisible(!printers.isEmpty());
    m_count->setText(PanelTexts::printerCountText(printers.size()));
    m_refresh->setEnabled(!m_printerList.isLoading());
    m_refresh->setSpinning(m_printerList.isLoading());
    refreshAge();

    m_error->setVisible(error.has_value());
    m_scroll->setVisible(!error && !printers.isEmpty());
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
    if (answeredAt)
        m_age->setText(relativeTimeString(*answeredAt));
}

void PrinterSection::showPrinters(const QStringList &printers)
{
    // Rows are rebuilt only when the names change; an unchanged list keeps its rows (and any text
    // the user has selected in them).
    QStringList shown;
    const QList<WrappingText *> labels =
        m_scroll->widget()->findChildren<WrappingText *>(u"printerName"_s);
    for (const WrappingText *label : labels)
        shown.append(label->text());
    if (shown == printers)
        return;
    while (QLayoutItem *item = m_rowsLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const QString &name : printers)
        m_rowsLayout->addWidget(makePrinterRow(name, m_scroll->widget()));
    // Rows keep their wrapped height at the top; the space below stays empty.
    m_rowsLayout->addStretch(1);
}

// The list is as tall as its wrapped rows, up to its limit; beyond that it scrolls.
void PrinterSection::fitListHeight()
{
    const int rowsHeight = m_scroll->widget()->heightForWidth(m_scroll->viewport()->width());
    m_scroll->setMinimumHeight(std::clamp(rowsHeight, 0, maxListHeight));
}

// Refitted when rows come or go and when the width changes, which moves the wraps.
bool PrinterSection::eventFilter(QObject *watched, QEvent *event)
{
    const bool rowsChanged =
        watched == m_scroll->widget() && event->type() == QEvent::LayoutRequest;
    const bool widthChanged =
        watched == m_scroll && event->type() == QEvent::Resize &&
        static_cast<QResizeEvent *>(event)->oldSize().width() != m_scroll->width();
    if (rowsChanged || widthChanged)
        fitListHeight();
    return Card::eventFilter(watched, event);
}
