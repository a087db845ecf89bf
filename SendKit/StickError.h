#pragma once

#include "SendKit/protocol/StickStatus.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <exception>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

// The one error of every stick operation: a case with its payload, thrown as an exception and
// rendered for the log with text().
class StickError : public std::exception {
public:
    struct FirmwareIncompatible {
        QString stickProtocol; // "major.minor", or "?" when the stick did not tell
        QString firmware;      // the stick's firmware version, or "?"
        bool operator==(const FirmwareIncompatible&) const = default;
    };
    struct FileTooLarge {
        quint32 limit = 0; // the stick's largest file in bytes, 0 when unknown
        bool operator==(const FileTooLarge&) const = default;
    };
    struct NameRejected {
        QString name;
        bool operator==(const NameRejected&) const = default;
    };
    struct NameExists {
        QStringList names;
        bool operator==(const NameExists&) const = default;
    };
    struct NotFound {
        QString name;
        bool operator==(const NotFound&) const = default;
    };
    struct ProtocolError {
        QString description;
        bool operator==(const ProtocolError&) const = default;
    };
    struct Refused {
        StickStatus status;
        bool operator==(const Refused&) const = default;
    };

#define BRINDLE_STICK_ERROR_EMPTY_CASE(Name)                                                       \
    struct Name {                                                                                  \
        bool operator==(const Name&) const = default;                                              \
    }
    BRINDLE_STICK_ERROR_EMPTY_CASE(BluetoothOff);
    BRINDLE_STICK_ERROR_EMPTY_CASE(BluetoothUnauthorized);
    BRINDLE_STICK_ERROR_EMPTY_CASE(BluetoothUnsupported);
    BRINDLE_STICK_ERROR_EMPTY_CASE(NoStickFound);
    BRINDLE_STICK_ERROR_EMPTY_CASE(StickUnreachable);
    BRINDLE_STICK_ERROR_EMPTY_CASE(PairingFailed);
    BRINDLE_STICK_ERROR_EMPTY_CASE(PairingStale);
    BRINDLE_STICK_ERROR_EMPTY_CASE(MtuTooSmall);
    BRINDLE_STICK_ERROR_EMPTY_CASE(MachineBusy);
    BRINDLE_STICK_ERROR_EMPTY_CASE(StickBusy);
    BRINDLE_STICK_ERROR_EMPTY_CASE(StorageFull);
    BRINDLE_STICK_ERROR_EMPTY_CASE(NoMedium);
    BRINDLE_STICK_ERROR_EMPTY_CASE(StorageError);
    BRINDLE_STICK_ERROR_EMPTY_CASE(TransferInterrupted);
    BRINDLE_STICK_ERROR_EMPTY_CASE(IntegrityMismatch);
    BRINDLE_STICK_ERROR_EMPTY_CASE(Timeout);
    BRINDLE_STICK_ERROR_EMPTY_CASE(Cancelled);
#undef BRINDLE_STICK_ERROR_EMPTY_CASE

    // The cases in their declared order; index() follows it.
    using Case =
        std::variant<FirmwareIncompatible, FileTooLarge, NameRejected, NameExists, NotFound,
                     ProtocolError, Refused, BluetoothOff, BluetoothUnauthorized,
                     BluetoothUnsupported, NoStickFound, StickUnreachable, PairingFailed,
                     PairingStale, MtuTooSmall, MachineBusy, StickBusy, StorageFull, NoMedium,
                     StorageError, TransferInterrupted, IntegrityMismatch, Timeout, Cancelled>;

    // Every case converts to a StickError: `throw StickError(StickError::Timeout{})`.
    template <class C>
    requires(!std::is_same_v<std::remove_cvref_t<C>, StickError> &&
             std::is_constructible_v<Case, C&&>)
        StickError(C&& value) // NOLINT(google-explicit-constructor)
        : StickError(Case(std::forward<C>(value)), 0) {}

    static StickError firmwareIncompatible(QString stickProtocol, QString firmware);
    static StickError fileTooLarge(quint32 limit);
    static StickError nameRejected(QString name);
    static StickError nameExists(QStringList names);
    static StickError notFound(QString name);
    static StickError protocolError(QString description);
    static StickError refused(StickStatus status);
    static StickError bluetoothOff() {
        return BluetoothOff{};
    }
    static StickError bluetoothUnauthorized() {
        return BluetoothUnauthorized{};
    }
    static StickError bluetoothUnsupported() {
        return BluetoothUnsupported{};
    }
    static StickError noStickFound() {
        return NoStickFound{};
    }
    static StickError stickUnreachable() {
        return StickUnreachable{};
    }
    static StickError pairingFailed() {
        return PairingFailed{};
    }
    static StickError pairingStale() {
        return PairingStale{};
    }
    static StickError mtuTooSmall() {
        return MtuTooSmall{};
    }
    static StickError machineBusy() {
        return MachineBusy{};
    }
    static StickError stickBusy() {
        return StickBusy{};
    }
    static StickError storageFull() {
        return StorageFull{};
    }
    static StickError noMedium() {
        return NoMedium{};
    }
    static StickError storageError() {
        return StorageError{};
    }
    static StickError transferInterrupted() {
        return TransferInterrupted{};
    }
    static StickError integrityMismatch() {
        return IntegrityMismatch{};
    }
    static StickError timeout() {
        return Timeout{};
    }
    static StickError cancelled() {
        return Cancelled{};
    }

    // The general reading of a reply status: none for OK, otherwise the error it stands for.
    static std::optional<StickError> forStatus(StickStatus status);
    // Throws forStatus(status) when there is one.
    static void check(StickStatus status);

    const Case& value() const noexcept {
        return m_value;
    }
    template <class C> bool is() const noexcept {
        return std::holds_alternative<C>(m_value);
    }
    // The payload of case C, or null when the error is another case.
    template <class C> const C* get() const noexcept {
        return std::get_if<C>(&m_value);
    }

    // The case name as written in the log, such as "nameExists".
    QString caseName() const;
    // The log form, such as StickError.refused(BAD_NAME) or StickError.nameRejected("a.dst").
    QString text() const;
    const char* what() const noexcept override;

    bool operator==(const StickError& other) const {
        return m_value == other.m_value;
    }

private:
    StickError(Case value, int);

    Case m_value;
    QByteArray m_what; // text() in UTF-8, kept so what() can hand out a stable pointer
};
