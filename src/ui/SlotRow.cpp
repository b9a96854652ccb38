#include "ui/SlotRow.h"

#include "ui/ElidedLabel.h"
#include "ui/PanelTexts.h"
#include "ui/PrinterGlyph.h"
#include "ui/Theme.h"
#include "ui/ToneLabel.h"

#include <QHBoxLayout>

using namespace Qt::StringLiterals;

SlotRow::SlotRow(QWidget *parent)
    : QWidget(parent)
    , m_name(new ToneLabel(u"slotName"_s, Tone::primary, Theme::systemFont(12), this))
    , m_unassigned(new ToneLabel(u"slotUnassigned"_s, Tone::secondary, Theme::systemFont(12), this))
    , m_glyph(new PrinterGlyph(Tone::green, this))
    , m_printer(new ElidedLabel(this))
    , m_reverse(
          new ToneLabel(u"slotReverse"_s, Tone::orange, Theme::systemFont(10, QFont::Medium), this))
{
    m_name->setFixedWidth(120);
    m_name->setWordWrap(true);
    QFont italic = m_unassigned->font();
    italic.setItalic(true);
    m_unassigned->setFont(italic);
    m_unassigned->setText(PanelTexts::unassignedPrinterText());
    m_glyph->setObjectName(u"slotPrinterGlyph"_s);
    m_printer->setObjectName(u"slotPrinter"_s);
    m_printer->setFont(Theme::monospaceFont(12));
    m_reverse->setText(PanelTexts::reverseMarkerText());

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(m_name);
    layout->addWidget(m_unassigned);
    layout->addWidget(m_glyph);
    layout->addWidget(m_printer);
    layout->addStretch(1);
    layout->addWidget(m_reverse);
}

void SlotRow::setSlot(const SlotLine &slot)
{
    m_name->setText(slot.name);
    const bool assigned = PanelTexts::hasPrinter(slot);
    m_unassigned->setVisible(!assigned);
    m_glyph->setVisible(assigned);
    m_printer->setVisible(assigned);
    m_printer->setText(slot.printer);
    m_reverse->setVisible(PanelTexts::showsReverseMarker(slot));
    setAccessibleName(PanelTexts::slotAccessibleName(slot));
}
