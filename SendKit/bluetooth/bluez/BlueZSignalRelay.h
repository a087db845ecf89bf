#pragma once

#include <QDBusMessage>
#include <QObject>

#include <functional>

// Hands the D-Bus signals it is connected to on to a function: QtDBus delivers signals only to
// slots, and the platform's handlers are plain functions.
class BlueZSignalRelay : public QObject {
    Q_OBJECT
public:
    explicit BlueZSignalRelay(std::function<void(const QDBusMessage&)> handler);

public slots:
    void receive(const QDBusMessage& message);

private:
    std::function<void(const QDBusMessage&)> m_handler;
};
