#pragma once

#include "daemon/SlotLine.h"

#include <QWidget>

class ElidedLabel;
class PrinterGlyph;
class ToneLabel;

// One printer slot of the connections card: its name, its printer (or that none is chosen) and,
// for the label slot, the reverse marker.
class SlotRow : public QWidget
{
    Q_OBJECT

public:
    explicit SlotRow(QWidget *parent = nullptr);

    void setSlot(const SlotLine &slot);

private:
    ToneLabel *m_name;
    ToneLabel *m_unassigned;
    PrinterGlyph *m_glyph;
    ElidedLabel *m_printer;
    ToneLabel *m_reverse;
};
