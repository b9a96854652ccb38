#include "platform/macos/MacSharePicker.h"

#import <AppKit/AppKit.h>
#include <QWidget>

void MacSharePicker::show(const QList<QUrl> &items, QWidget *anchor)
{
    if (!anchor)
        return;
    NSMutableArray *objects = [NSMutableArray arrayWithCapacity:items.size()];
    for (const QUrl &item : items)
        [objects addObject:item.toNSURL()];
    // The panel's own view, with the anchor's place in it: winId() of the anchor itself would
    // make it and its ancestors native widgets, which repaint badly.
    QWidget *window = anchor->window();
    NSView *view = reinterpret_cast<NSView *>(window->winId());
    const QRect place(anchor->mapTo(window, QPoint(0, 0)), anchor->size());
    const NSRect rect = NSMakeRect(
        place.x(), view.isFlipped ? place.y() : view.bounds.size.height - place.bottom() - 1,
        place.width(), place.height());
    // Below the button: in Qt's flipped views the bottom edge is the maximum y.
    const NSRectEdge below = view.isFlipped ? NSRectEdgeMaxY : NSRectEdgeMinY;
    // Not released: AppKit needs the picker for as long as it is on screen.
    NSSharingServicePicker *picker = [[NSSharingServicePicker alloc] initWithItems:objects];
    [picker showRelativeToRect:rect ofView:view preferredEdge:below];
}
