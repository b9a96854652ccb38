#include "ui/LogView.h"

#include "log/LogTailer.h"
#include "ui/LineAlignment.h"
#include "ui/LineColouring.h"
#include "ui/ToneLabel.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStackedLayout>
#include <QTextBlock>

using namespace Qt::StringLiterals;

namespace {

ToneLabel *makeMessage(const QString &objectName, Tone tone, QWidget *parent)
{
    auto *label = new ToneLabel(objectName, tone, Theme::systemFont(11), parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setContentsMargins(8, 8, 8, 8);
    return label;
}

// The text layout takes these two noncharacters for frame boundaries and would break the row in
// two; only the shown text changes.
QString shownLine(QString line)
{
    return line.replace(QChar(0xFDD0), QChar::ReplacementCharacter)
        .replace(QChar(0xFDD1), QChar::ReplacementCharacter);
}

} // namespace

LogView::LogView(LogTailer &logTailer, QWidget *parent)
    : QWidget(parent)
    , m_logTailer(logTailer)
    , m_pages(new QStackedLayout(this))
    , m_error(makeMessage(u"logError"_s, Tone::red, this))
    , m_waiting(makeMessage(u"logWaiting"_s, Tone::secondary, this))
    , m_lines(new QPlainTextEdit(this))
    , m_lineCount(logTailer.lines().size())
{
    setObjectName(u"logView"_s);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_waiting->setText(tr("Waiting for log output…"));

    m_lines->setObjectName(u"logLines"_s);
    m_lines->setAccessibleName(tr("Log"));
    m_lines->setReadOnly(true);
    // Selectable by mouse only: a keyboard caret would blink, repainting an idle panel.
    m_lines->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lines->setTabChangesFocus(true);
    m_lines->setFrameShape(QFrame::NoFrame);
    m_lines->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_lines->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_lines->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_lines->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_lines->setFont(Theme::monospaceFont(11));
    m_lines->viewport()->setAutoFillBackground(false);
    Theme::makeScrollBarSlim(m_lines->verticalScrollBar());
    m_lines->document()->setUndoRedoEnabled(false);
    m_lines->document()->setDocumentMargin(8);

    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        if (old == m_lines || now == m_lines)
            update();
    });

    m_pages->addWidget(m_waiting);
    m_pages->addWidget(m_error);
    m_pages->addWidget(m_lines);

    m_scrollAnimation.setDuration(150);
    m_scrollAnimation.setStartValue(0.0);
    m_scrollAnimation.setEndValue(1.0);
    // The end is read on every step: the range may still grow while the document is laid out.
    connect(&m_scrollAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant &t) {
        QScrollBar *bar = m_lines->verticalScrollBar();
        bar->setValue(m_scrollFrom + qRound((bar->maximum() - m_scrollFrom) * t.toReal()));
    });
    connect(&m_scrollAnimation, &QVariantAnimation::finished, this, [this] {
        m_lines->verticalScrollBar()->setValue(m_lines->verticalScrollBar()->maximum());
    });

    refresh();
}

void LogView::refresh()
{
    const std::optional<QString> error = m_logTailer.fileError();
    const QStringList lines = m_logTailer.lines();
    if (error) {
        m_error->setText(*error);
        m_pages->setCurrentWidget(m_error);
    } else if (lines.isEmpty()) {
        m_pages->setCurrentWidget(m_waiting);
    } else {
        showLines(lines);
        m_pages->setCurrentWidget(m_lines);
    }

    if (lines.size() != m_lineCount) {
        m_lineCount = lines.size();
        scrollToEnd();
    }
}

void LogView::showLines(const QStringList &lines)
{
    QStringList next;
    next.reserve(lines.size());
    for (const QString &line : lines)
        next.append(shownLine(line));
    QTextDocument *document = m_lines->document();
    QStringList shown;
    if (!m_documentEmpty) {
        shown.reserve(document->blockCount());
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            shown.append(block.text());
    }
    const qsizetype drop = linesToDrop(shown, next);
    const qsizetype kept = shown.size() - drop;
    if (drop == 0 && kept == next.size())
        return;

    QTextCursor cursor(document);
    cursor.beginEditBlock();
    if (kept == 0) {
        cursor.select(QTextCursor::Document);
        cursor.removeSelectedText();
    } else if (drop > 0) {
        cursor.setPosition(document->findBlockByNumber(int(drop)).position(),
                           QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    for (qsizetype i = kept; i < next.size(); ++i) {
        if (i > 0)
            cursor.insertBlock();
        format.setForeground(Theme::toneColour(colorForLine(lines.at(i)), palette()));
        cursor.insertText(next.at(i), format);
    }
    cursor.endEditBlock();
    m_documentEmpty = false;
}

void LogView::scrollToEnd()
{
    QScrollBar *bar = m_lines->verticalScrollBar();
    m_scrollAnimation.stop();
    if (!isVisible()) {
        bar->setValue(bar->maximum());
        return;
    }
    m_scrollFrom = bar->value();
    m_scrollAnimation.start();
}

void LogView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::textBackgroundColour(palette()));
    painter.drawRoundedRect(QRectF(rect()), 8, 8);
    // The lines are drawn over this background without a frame of their own.
    if (m_lines->hasFocus())
        Theme::paintFocusRing(painter, QRectF(rect()), palette());
}

void LogView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        recolour();
}

void LogView::recolour()
{
    // Line colours depend on the theme. Only the formats change, so the scroll position stays.
    QTextCursor cursor(m_lines->document());
    cursor.beginEditBlock();
    QTextCharFormat format;
    for (QTextBlock block = m_lines->document()->begin(); block.isValid(); block = block.next()) {
        cursor.setPosition(block.position());
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        format.setForeground(Theme::toneColour(colorForLine(block.text()), palette()));
        cursor.setCharFormat(format);
    }
    cursor.endEditBlock();
}
