#pragma once

#include "daemon/SlotLine.h"

#include <QString>

// The texts the panel's cards derive from model values. Fixed wording is translatable with the
// literal as key; data is passed through verbatim.
namespace PanelTexts {

QString healthText(bool apiReachable);

// The printer a slot row shows, or nothing when no printer is assigned (an empty name only: a
// blank is a name).
bool hasPrinter(const SlotLine &slot);
QString unassignedPrinterText();
bool showsReverseMarker(const SlotLine &slot);
QString reverseMarkerText();
QString configErrorText(const QString &error);
// A slot row as a screen reader reads it: "Name: printer", with the reverse marker where shown.
QString slotAccessibleName(const SlotLine &slot);
// The status dot's name: the service's state without its details, "Running" of
// "Running (pid 412)", "Unknown" of "Unknown: …".
QString statusDotName(const QString &stateLabel);

// "(3)" for three printers, nothing for none.
QString printerCountText(qsizetype count);
// The count and the age of the last answer as read aloud, with what they are.
QString printerCountName(qsizetype count);
QString printerAgeName(const QString &age);
QString printerErrorText(const QString &error);
// Shown when there is neither an error nor a printer: before the first answer, then the hint on
// how to add a printer. Rich text: the command is set in monospace.
QString printerPlaceholderHtml(bool answered);
// Escapes `text` for rich text and sets the text between backticks in monospace, without the
// backticks. An unpaired backtick is kept as it is.
QString inlineCodeToHtml(const QString &text);

} // namespace PanelTexts
