#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>

#include <functional>
#include <memory>
#include <stop_token>

class StickPairingPrompt;

// Our own org.bluez.Agent1 (capability KeyboardDisplay): pairings that this program starts with
// Device1.Pair() ask it, and it asks the program's pairing prompt, so the stick's passkey is typed
// here rather than into whatever agent the desktop runs.
class BlueZAgent : public QDBusVirtualObject {
public:
    static inline const QString capability = QStringLiteral("KeyboardDisplay");

    // nameOf gives the name a device path is shown by.
    explicit BlueZAgent(std::function<QString(const QString& devicePath)> nameOf);
    ~BlueZAgent() override;

    void setPrompt(std::shared_ptr<StickPairingPrompt> prompt);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    std::function<QString(const QString&)> m_nameOf;
    std::shared_ptr<StickPairingPrompt> m_prompt;
    // Stopped by Cancel: bluetoothd gave up on the pairing the prompt is asking about.
    std::stop_source m_cancel;
};
