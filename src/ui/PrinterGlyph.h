#pragma once

#include "ui/Theme.h"

#include <QWidget>

// A printer symbol sized for 10-point text, in one of the panel's tones.
class PrinterGlyph : public QWidget
{
    Q_OBJECT

public:
    explicit PrinterGlyph(Tone tone, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Tone m_tone;
};
