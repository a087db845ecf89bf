#pragma once

#include <QCoro/QCoroTask>
#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

// Keeps one Brindle Stick per desktop session: the first instance owns a name on the session bus;
// a later one hands its files to it and ends, and the first shows its window and takes them.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.brindle.Stick")

public:
    static constexpr char serviceName[] = "app.brindle.Stick";
    static constexpr char objectPath[] = "/app/brindle/Stick";

    explicit SingleInstance(QDBusConnection bus = QDBusConnection::sessionBus(),
                            QObject* parent = nullptr);

    // Takes the name for this process. False when another instance holds it; true without a
    // session bus, where there is nobody to share with.
    bool claim();
    // Asks the instance holding the name to show its window and take the files (absolute paths).
    // False when it does not answer.
    QCoro::Task<bool> forward(QStringList paths);

public slots:
    // Called over the bus by a later instance.
    Q_SCRIPTABLE void Open(const QStringList& paths);

signals:
    void opened(const QList<QUrl>& files);

private:
    QDBusConnection m_bus;
};
