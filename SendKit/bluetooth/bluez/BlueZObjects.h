#pragma once

#include <QDBusMessage>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QVariant>

#include <map>
#include <optional>

// bluetoothd's object tree as GetManagedObjects gave it and the signals since have changed it:
// per object path its interfaces and their properties, with the questions the platform and the
// doctor ask of it.
class BlueZObjects {
public:
    using Interfaces = QMap<QString, QVariantMap>;

    static inline const QString adapterInterface = QStringLiteral("org.bluez.Adapter1");
    static inline const QString deviceInterface = QStringLiteral("org.bluez.Device1");
    static inline const QString serviceInterface = QStringLiteral("org.bluez.GattService1");
    static inline const QString characteristicInterface =
        QStringLiteral("org.bluez.GattCharacteristic1");

    // The tree in a reply to GetManagedObjects.
    static BlueZObjects fromReply(const QDBusMessage& reply);

    // ObjectManager's InterfacesAdded and InterfacesRemoved, Properties' PropertiesChanged.
    void add(const QDBusMessage& interfacesAdded);
    void remove(const QDBusMessage& interfacesRemoved);
    void change(const QDBusMessage& propertiesChanged);

    bool has(const QString& path, const QString& interface) const;
    QVariant property(const QString& path, const QString& interface, const QString& name) const;
    // The objects with the interface, below the path when one is given, in path order.
    QStringList paths(const QString& interface, const QString& under = {}) const;

    // The adapter in use: the first powered one, else the first one.
    std::optional<QString> adapter() const;
    // The device's UUID, stable on this computer: a name-based UUID of adapter and device address.
    QUuid identifier(const QString& devicePath) const;
    // The device's name: its Name, else its Alias.
    std::optional<QString> name(const QString& devicePath) const;
    // Whether the device lists the service among its UUIDs.
    bool offers(const QString& devicePath, QUuid service) const;

private:
    std::map<QString, Interfaces> m_objects;
};
