#include "SendKit/bluetooth/bluez/BlueZAgent.h"

#include "SendKit/async/Executor.h"
#include "SendKit/bluetooth/StickPairingPrompt.h"

#include <QDBusMessage>
#include <QDBusObjectPath>

namespace {

const QString rejected = QStringLiteral("org.bluez.Error.Rejected");
const QString canceled = QStringLiteral("org.bluez.Error.Canceled");

QCoro::Task<void> askPasskey(std::shared_ptr<StickPairingPrompt> prompt, QString name,
                             std::stop_token cancelled, QDBusMessage request,
                             QDBusConnection connection) {
    auto task = prompt->passkey(name, cancelled);
    const auto passkey = co_await std::move(task);
    connection.send(passkey ? request.createReply(QVariant::fromValue(quint32(*passkey)))
                            : request.createErrorReply(
                                  cancelled.stop_requested() ? canceled : rejected, "no passkey"));
}

QCoro::Task<void> askConfirmation(std::shared_ptr<StickPairingPrompt> prompt, QString name,
                                  quint32 number, std::stop_token cancelled, QDBusMessage request,
                                  QDBusConnection connection) {
    auto task = prompt->confirm(name, number, cancelled);
    const bool confirmed = co_await std::move(task);
    connection.send(confirmed ? request.createReply()
                              : request.createErrorReply(rejected, "the numbers differ"));
}

} // namespace

BlueZAgent::BlueZAgent(std::function<QString(const QString&)> nameOf)
    : m_nameOf(std::move(nameOf)) {}

BlueZAgent::~BlueZAgent() {
    m_cancel.request_stop();
}

void BlueZAgent::setPrompt(std::shared_ptr<StickPairingPrompt> prompt) {
    m_prompt = std::move(prompt);
}

QString BlueZAgent::introspect(const QString&) const {
    return QStringLiteral(R"(<interface name="org.bluez.Agent1">
<method name="Release"/>
<method name="RequestPinCode"><arg type="o" direction="in"/><arg type="s" direction="out"/></method>
<method name="DisplayPinCode"><arg type="o" direction="in"/><arg type="s" direction="in"/></method>
<method name="RequestPasskey"><arg type="o" direction="in"/><arg type="u" direction="out"/></method>
<method name="DisplayPasskey"><arg type="o" direction="in"/><arg type="u" direction="in"/><arg type="q" direction="in"/></method>
<method name="RequestConfirmation"><arg type="o" direction="in"/><arg type="u" direction="in"/></method>
<method name="RequestAuthorization"><arg type="o" direction="in"/></method>
<method name="AuthorizeService"><arg type="o" direction="in"/><arg type="s" direction="in"/></method>
<method name="Cancel"/>
</interface>)");
}

bool BlueZAgent::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    if (message.interface() != "org.bluez.Agent1")
        return false;
    const auto member = message.member();
    const auto arguments = message.arguments();
    const auto device =
        arguments.isEmpty() ? QString() : arguments[0].value<QDBusObjectPath>().path();
    if (member == "Cancel") {
        m_cancel.request_stop();
        m_cancel = std::stop_source();
        connection.send(message.createReply());
    } else if ((member == "RequestPasskey" || member == "RequestConfirmation") && m_prompt) {
        message.setDelayedReply(true);
        if (member == "RequestPasskey")
            Executor::spawn(
                askPasskey(m_prompt, m_nameOf(device), m_cancel.get_token(), message, connection));
        else
            Executor::spawn(askConfirmation(m_prompt, m_nameOf(device), arguments.value(1).toUInt(),
                                            m_cancel.get_token(), message, connection));
    } else if (member.startsWith("Request") || member == "AuthorizeService") {
        // Sticks pair with a passkey; anything else was not started by this program.
        connection.send(message.createErrorReply(rejected, "not supported by this agent"));
    } else {
        // Release, DisplayPasskey, DisplayPinCode: the stick shows its own code.
        connection.send(message.createReply());
    }
    return true;
}
