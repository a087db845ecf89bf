#include "SendKit/StickError.h"

#include "SendKit/StickLog.h"

#include <array>

namespace {

// Declared in the order of StickError::Case.
constexpr std::array<const char*, std::variant_size_v<StickError::Case>> caseNames = {
    "firmwareIncompatible",
    "fileTooLarge",
    "nameRejected",
    "nameExists",
    "notFound",
    "protocolError",
    "refused",
    "bluetoothOff",
    "bluetoothUnauthorized",
    "bluetoothUnsupported",
    "noStickFound",
    "stickUnreachable",
    "pairingFailed",
    "pairingStale",
    "mtuTooSmall",
    "machineBusy",
    "stickBusy",
    "storageFull",
    "noMedium",
    "storageError",
    "transferInterrupted",
    "integrityMismatch",
    "timeout",
    "cancelled",
};

template <class... F> struct Overloaded : F... { using F::operator()...; };
// Spelled out for compilers without aggregate deduction (clang before 17).
template <class... F> Overloaded(F...) -> Overloaded<F...>;

} // namespace

StickError::StickError(Case value, int)
    : m_value(std::move(value))
    , m_what(text().toUtf8()) {}

StickError StickError::firmwareIncompatible(QString stickProtocol, QString firmware) {
    return FirmwareIncompatible{std::move(stickProtocol), std::move(firmware)};
}

StickError StickError::fileTooLarge(quint32 limit) {
    return FileTooLarge{limit};
}

StickError StickError::nameRejected(QString name) {
    return NameRejected{std::move(name)};
}

StickError StickError::nameExists(QStringList names) {
    return NameExists{std::move(names)};
}

StickError StickError::notFound(QString name) {
    return NotFound{std::move(name)};
}

StickError StickError::protocolError(QString description) {
    return ProtocolError{std::move(description)};
}

StickError StickError::refused(StickStatus status) {
    return Refused{status};
}

std::optional<StickError> StickError::forStatus(StickStatus status) {
    switch (status.rawValue) {
    case StickStatus::ok:
        return std::nullopt;
    case StickStatus::unsupportedVersion:
        return firmwareIncompatible(QStringLiteral("?"), QStringLiteral("?"));
    case StickStatus::hostBusy:
        return machineBusy();
    case StickStatus::busy:
        return stickBusy();
    case StickStatus::noSpace:
        return storageFull();
    case StickStatus::hashMismatch:
        return integrityMismatch();
    case StickStatus::storageError:
        return storageError();
    case StickStatus::noMedium:
        return noMedium();
    case StickStatus::mtuTooSmall:
        return mtuTooSmall();
    case StickStatus::timeout:
        return timeout();
    default:
        return refused(status);
    }
}

void StickError::check(StickStatus status) {
    if (auto error = forStatus(status))
        throw *std::move(error);
}

QString StickError::caseName() const {
    return QString::fromLatin1(caseNames[m_value.index()]);
}

QString StickError::text() const {
    const QString payload = std::visit(
        Overloaded{
            [](const FirmwareIncompatible& e) {
                return QStringLiteral("(stickProtocol: %1, firmware: %2)")
                    .arg(StickLog::quoted(e.stickProtocol), StickLog::quoted(e.firmware));
            },
            [](const FileTooLarge& e) { return QStringLiteral("(limit: %1)").arg(e.limit); },
            [](const NameRejected& e) {
                return QStringLiteral("(%1)").arg(StickLog::quoted(e.name));
            },
            [](const NameExists& e) {
                QStringList names;
                for (const QString& name : e.names)
                    names << StickLog::quoted(name);
                return QStringLiteral("([%1])").arg(names.join(QStringLiteral(", ")));
            },
            [](const NotFound& e) { return QStringLiteral("(%1)").arg(StickLog::quoted(e.name)); },
            [](const ProtocolError& e) {
                return QStringLiteral("(%1)").arg(StickLog::quoted(e.description));
            },
            [](const Refused& e) { return QStringLiteral("(%1)").arg(e.status.text()); },
            [](const auto&) { return QString(); },
        },
        m_value);
    return QStringLiteral("StickError.") + caseName() + payload;
}

const char* StickError::what() const noexcept {
    return m_what.constData();
}
