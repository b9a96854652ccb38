#include "platform/linux/DBusMenuExporter.h"

#include <QActionEvent>
#include <QDBusMetaType>
#include <QGuiApplication>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace {

const auto unknownItem = u"org.freedesktop.DBus.Error.InvalidArgs"_s;

} // namespace

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuItem &item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuItem &item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuItemKeys &keys)
{
    argument.beginStructure();
    argument << keys.id << keys.names;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuItemKeys &keys)
{
    argument.beginStructure();
    argument >> keys.id >> keys.names;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuLayoutItem &item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.beginArray(QMetaType::fromType<QDBusVariant>());
    for (const DBusMenuLayoutItem &child : item.children)
        argument << QDBusVariant(QVariant::fromValue(child));
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuLayoutItem &item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.beginArray();
    item.children.clear();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        DBusMenuLayoutItem childItem;
        child.variant().value<QDBusArgument>() >> childItem;
        item.children.append(childItem);
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuEvent &event)
{
    argument.beginStructure();
    argument << event.id << event.eventId << event.data << event.timestamp;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuEvent &event)
{
    argument.beginStructure();
    argument >> event.id >> event.eventId >> event.data >> event.timestamp;
    argument.endStructure();
    return argument;
}

QString dbusMenuLabel(const QString &text)
{
    QString label;
    label.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'_') {
            label += u"__"_s;
        } else if (c == u'&' && i + 1 < text.size()) {
            // "&&" is a literal ampersand; "&x" marks x.
            ++i;
            label += text.at(i) == u'&' ? u'&' : u'_';
            if (text.at(i) != u'&')
                label += text.at(i) == u'_' ? u"__"_s : QString(text.at(i));
        } else {
            label += c;
        }
    }
    return label;
}

DBusMenuExporter::DBusMenuExporter(const QDBusConnection &bus, const QString &path, QMenu &menu,
                                   QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_path(path)
    , m_menu(&menu)
{
    registerTypes();
    menu.installEventFilter(this);
    m_bus.registerObject(m_path, this, QDBusConnection::ExportScriptableContents);
}

DBusMenuExporter::~DBusMenuExporter()
{
    m_bus.unregisterObject(m_path);
}

void DBusMenuExporter::registerTypes()
{
    qDBusRegisterMetaType<DBusMenuItem>();
    qDBusRegisterMetaType<DBusMenuItemList>();
    // QtDBus looks the slots' and signals' parameters up by these names.
    qRegisterMetaType<DBusMenuItemList>("DBusMenuItemList");
    qRegisterMetaType<DBusMenuItemKeysList>("DBusMenuItemKeysList");
    qRegisterMetaType<DBusMenuEventList>("DBusMenuEventList");
    qDBusRegisterMetaType<DBusMenuItemKeys>();
    qDBusRegisterMetaType<DBusMenuItemKeysList>();
    qDBusRegisterMetaType<DBusMenuLayoutItem>();
    qDBusRegisterMetaType<DBusMenuEvent>();
    qDBusRegisterMetaType<DBusMenuEventList>();
    qDBusRegisterMetaType<QList<int>>();
}

QString DBusMenuExporter::textDirection() const
{
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? u"rtl"_s : u"ltr"_s;
}

int DBusMenuExporter::idOf(QAction *action)
{
    auto found = m_ids.constFind(action);
    if (found != m_ids.cend())
        return *found;
    m_ids.insert(action, m_nextId);
    return m_nextId++;
}

QAction *DBusMenuExporter::actionOf(int id) const
{
    if (!m_menu || id <= 0)
        return nullptr;
    for (QAction *action : m_menu->actions())
        if (m_ids.value(action) == id)
            return action;
    return nullptr;
}

QVariantMap DBusMenuExporter::propertiesOf(int id, const QStringList &names) const
{
    QVariantMap properties;
    if (id == 0) {
        properties.insert(u"children-display"_s, u"submenu"_s);
    } else if (const QAction *action = actionOf(id)) {
        if (action->isSeparator()) {
            properties.insert(u"type"_s, u"separator"_s);
        } else {
            properties.insert(u"label"_s, dbusMenuLabel(action->text()));
            properties.insert(u"enabled"_s, action->isEnabled());
        }
        properties.insert(u"visible"_s, action->isVisible());
        if (action->isCheckable()) {
            properties.insert(u"toggle-type"_s, u"checkmark"_s);
            properties.insert(u"toggle-state"_s, action->isChecked() ? 1 : 0);
        }
    }
    if (names.isEmpty())
        return properties;
    QVariantMap asked;
    for (const QString &name : names)
        if (properties.contains(name))
            asked.insert(name, properties.value(name));
    return asked;
}

uint DBusMenuExporter::GetLayout(int parentId, int recursionDepth, const QStringList &propertyNames,
                                 DBusMenuLayoutItem &layout)
{
    if (!knows(parentId)) {
        sendErrorReply(unknownItem, u"No menu item %1"_s.arg(parentId));
        return m_revision;
    }
    layout = {parentId, propertiesOf(parentId, propertyNames), {}};
    // The menu is flat: only the root has children.
    if (parentId == 0 && recursionDepth != 0 && m_menu)
        for (QAction *action : m_menu->actions()) {
            const int id = idOf(action);
            layout.children.append({id, propertiesOf(id, propertyNames), {}});
        }
    return m_revision;
}

DBusMenuItemList DBusMenuExporter::GetGroupProperties(const QList<int> &ids,
                                                      const QStringList &propertyNames)
{
    QList<int> wanted = ids;
    // No ids: all of them.
    if (wanted.isEmpty() && m_menu)
        for (QAction *action : m_menu->actions())
            wanted.append(idOf(action));
    DBusMenuItemList items;
    for (const int id : std::as_const(wanted))
        if (knows(id))
            items.append({id, propertiesOf(id, propertyNames)});
    return items;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString &name)
{
    const QVariantMap properties = propertiesOf(id, {name});
    if (!knows(id) || properties.isEmpty()) {
        sendErrorReply(unknownItem, u"No property %1 on menu item %2"_s.arg(name).arg(id));
        return QDBusVariant(QVariant(0));
    }
    return QDBusVariant(properties.value(name));
}

bool DBusMenuExporter::handleEvent(int id, const QString &eventId)
{
    if (id == 0 && eventId == u"opened"_s)
        Q_EMIT opened();
    QAction *action = actionOf(id);
    if (!action)
        return false;
    if (eventId == u"clicked"_s && action->isEnabled() && !action->isSeparator())
        action->trigger();
    return true;
}

void DBusMenuExporter::Event(int id, const QString &eventId, const QDBusVariant &, uint)
{
    if (!handleEvent(id, eventId) && id != 0)
        sendErrorReply(unknownItem, u"No menu item %1"_s.arg(id));
}

QList<int> DBusMenuExporter::EventGroup(const DBusMenuEventList &events)
{
    QList<int> idErrors;
    for (const DBusMenuEvent &event : events)
        if (!handleEvent(event.id, event.eventId) && event.id != 0)
            idErrors.append(event.id);
    return idErrors;
}

bool DBusMenuExporter::AboutToShow(int id)
{
    if (id == 0)
        Q_EMIT opened();
    return false;
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors)
{
    if (ids.contains(0))
        Q_EMIT opened();
    for (const int id : ids)
        if (!knows(id))
            idErrors.append(id);
    return {};
}

bool DBusMenuExporter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_menu)
        return false;
    switch (event->type()) {
    case QEvent::ActionChanged: {
        const int id = idOf(static_cast<QActionEvent *>(event)->action());
        Q_EMIT ItemsPropertiesUpdated({{id, propertiesOf(id, {})}}, {});
        Q_EMIT LayoutUpdated(++m_revision, 0);
        break;
    }
    case QEvent::ActionRemoved:
        m_ids.remove(static_cast<QActionEvent *>(event)->action());
        Q_EMIT LayoutUpdated(++m_revision, 0);
        break;
    case QEvent::ActionAdded:
        Q_EMIT LayoutUpdated(++m_revision, 0);
        break;
    default:
        break;
    }
    return false;
}
