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
    NSView *view = reinterpret_cast<NSView *>(anchor->winId());
    // Not released: AppKit needs the picker for as long as it is on screen.
    NSSharingServicePicker *picker = [[NSSharingServicePicker alloc] initWithItems:objects];
    [picker showRelativeToRect:view.bounds ofView:view preferredEdge:NSRectEdgeMinY];
}
