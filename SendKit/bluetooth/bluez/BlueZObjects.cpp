#include "SendKit/bluetooth/bluez/BlueZObjects.h"

#include <QDBusArgument>
#include <QDBusObjectPath>

namespace {

// Stands for this program in the name-based identifiers of devices.
constexpr QUuid identifierNamespace{0x6b1c2f4e, 0x93a0, 0x4d57, 0x8a, 0x21, 0x4e,
                                    0x0b,       0x7c,   0x55,   0x3d, 0x19};

QString pathOf(const QVariant& argument) {
    return argument.value<QDBusObjectPath>().path();
}

} // namespace

BlueZObjects BlueZObjects::fromReply(const QDBusMessage& reply) {
    BlueZObjects objects;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return objects;
    const auto tree = reply.arguments().first().value<QDBusArgument>();
    tree.beginMap();
    while (!tree.atEnd()) {
        QDBusObjectPath path;
        Interfaces interfaces;
        tree.beginMapEntry();
        tree >> path >> interfaces;
        tree.endMapEntry();
        objects.m_objects[path.path()] = interfaces;
    }
    tree.endMap();
    return objects;
}

void BlueZObjects::add(const QDBusMessage& interfacesAdded) {
    const auto arguments = interfacesAdded.arguments();
    if (arguments.size() < 2)
        return;
    auto& object = m_objects[pathOf(arguments[0])];
    const auto added = qdbus_cast<Interfaces>(arguments[1]);
    for (auto it = added.begin(); it != added.end(); ++it)
        object[it.key()] = it.value();
}

void BlueZObjects::remove(const QDBusMessage& interfacesRemoved) {
    const auto arguments = interfacesRemoved.arguments();
    if (arguments.size() < 2)
        return;
    const auto found = m_objects.find(pathOf(arguments[0]));
    if (found == m_objects.end())
        return;
    for (const auto& interface : arguments[1].toStringList())
        found->second.remove(interface);
    if (found->second.isEmpty())
        m_objects.erase(found);
}

void BlueZObjects::change(const QDBusMessage& propertiesChanged) {
    const auto arguments = propertiesChanged.arguments();
    const auto found = m_objects.find(propertiesChanged.path());
    if (arguments.size() < 3 || found == m_objects.end())
        return;
    auto& properties = found->second[arguments[0].toString()];
    const auto changed = qdbus_cast<QVariantMap>(arguments[1]);
    for (auto it = changed.begin(); it != changed.end(); ++it)
        properties[it.key()] = it.value();
    for (const auto& name : arguments[2].toStringList())
        properties.remove(name);
}

bool BlueZObjects::has(const QString& path, const QString& interface) const {
    const auto found = m_objects.find(path);
    return found != m_objects.end() && found->second.contains(interface);
}

QVariant BlueZObjects::property(const QString& path, const QString& interface,
                                const QString& name) const {
    const auto found = m_objects.find(path);
    return found == m_objects.end() ? QVariant() : found->second.value(interface).value(name);
}

QStringList BlueZObjects::paths(const QString& interface, const QString& under) const {
    QStringList paths;
    for (const auto& [path, interfaces] : m_objects)
        if (interfaces.contains(interface) && (under.isEmpty() || path.startsWith(under + '/')))
            paths.append(path);
    return paths;
}

std::optional<QString> BlueZObjects::adapter() const {
    const auto adapters = paths(adapterInterface);
    for (const auto& path : adapters)
        if (property(path, adapterInterface, "Powered").toBool())
            return path;
    return adapters.isEmpty() ? std::nullopt : std::optional(adapters.first());
}

QUuid BlueZObjects::identifier(const QString& devicePath) const {
    const auto adapterPath = pathOf(property(devicePath, deviceInterface, "Adapter"));
    const auto adapterAddress = property(adapterPath, adapterInterface, "Address").toString();
    const auto address = property(devicePath, deviceInterface, "Address").toString();
    return QUuid::createUuidV5(identifierNamespace,
                               adapterAddress.toUpper() + '/' + address.toUpper());
}

std::optional<QString> BlueZObjects::name(const QString& devicePath) const {
    for (const auto* key : {"Name", "Alias"})
        if (const auto name = property(devicePath, deviceInterface, key).toString();
            !name.isEmpty())
            return name;
    return std::nullopt;
}

bool BlueZObjects::offers(const QString& devicePath, QUuid service) const {
    const auto uuids = property(devicePath, deviceInterface, "UUIDs").toStringList();
    return uuids.contains(service.toString(QUuid::WithoutBraces), Qt::CaseInsensitive);
}
