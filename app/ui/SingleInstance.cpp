#include "app/ui/SingleInstance.h"

#include <QCoroDBusPendingCall>
#include <QDBusMessage>
#include <QDBusPendingCall>

namespace {
// Long enough for a busy instance to answer, short enough that a hung one does not keep the
// second waiting.
constexpr int answerTimeoutMs = 5000;
} // namespace

SingleInstance::SingleInstance(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus)) {}

bool SingleInstance::claim() {
    if (!m_bus.isConnected())
        return true;
    if (!m_bus.registerService(QString::fromLatin1(serviceName)))
        return false;
    m_bus.registerObject(QString::fromLatin1(objectPath), this,
                         QDBusConnection::ExportScriptableSlots);
    return true;
}

QCoro::Task<bool> SingleInstance::forward(QStringList paths) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(serviceName), QString::fromLatin1(objectPath),
        QString::fromLatin1(serviceName), QStringLiteral("Open"));
    call << paths;
    const QDBusPendingCall pending = m_bus.asyncCall(call, answerTimeoutMs);
    const QDBusMessage reply = co_await pending;
    co_return reply.type() == QDBusMessage::ReplyMessage;
}

void SingleInstance::Open(const QStringList& paths) {
    QList<QUrl> files;
    for (const QString& path : paths)
        files << QUrl::fromLocalFile(path);
    emit opened(files);
}
