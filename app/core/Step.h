#pragma once

#include "SendKit/bluetooth/StickConnectPhase.h"
#include "SendKit/send/StickReceipt.h"
#include "app/core/Retry.h"

#include <QMetaType>
#include <QString>
#include <QStringList>

#include <type_traits>
#include <variant>

#define BRINDLE_STEP_EMPTY_CASE(Name)                                                              \
    struct Name {                                                                                  \
        bool operator==(const Name&) const = default;                                              \
    }

// Where the stick model stands: one case per card of the main window, with what that card shows.
// Two steps are equal when their case and payload are.
class Step {
public:
    // Nothing is happening yet: Bluetooth not asked, or the window is closed.
    BRINDLE_STEP_EMPTY_CASE(Starting);
    BRINDLE_STEP_EMPTY_CASE(Searching);
    struct Connecting {
        StickConnectPhase phase = StickConnectPhase::Connecting;
        QString name;
        bool operator==(const Connecting&) const = default;
    };
    // Connected to a stick the person has not yet recognised by its display.
    BRINDLE_STEP_EMPTY_CASE(Confirm);
    BRINDLE_STEP_EMPTY_CASE(Ready);
    // The queued files are being read and hashed.
    BRINDLE_STEP_EMPTY_CASE(Preparing);
    struct Sending {
        double fraction = 0; // 0 to 1 over the whole send
        bool operator==(const Sending&) const = default;
    };
    // The stick is storing the data and reading it back.
    BRINDLE_STEP_EMPTY_CASE(Verifying);
    // The stick already holds files of these names; the person chooses.
    struct Replace {
        QStringList names;
        bool operator==(const Replace&) const = default;
    };
    struct Done {
        StickReceipt receipt;
        bool operator==(const Done&) const = default;
    };
    struct Failed {
        QString message;
        Retry retry = Retry::Reconnect;
        bool settings = false; // offer the system's Bluetooth settings
        bool operator==(const Failed&) const = default;
    };
    // The stick was let go so another host can use it.
    BRINDLE_STEP_EMPTY_CASE(Released);

#undef BRINDLE_STEP_EMPTY_CASE

    using Value = std::variant<Starting, Searching, Connecting, Confirm, Ready, Preparing, Sending,
                               Verifying, Replace, Done, Failed, Released>;

    Step() = default;
    template <class C>
    requires(!std::is_same_v<std::remove_cvref_t<C>, Step> && std::is_constructible_v<Value, C&&>)
        Step(C&& value) // NOLINT(google-explicit-constructor)
        : m_value(std::forward<C>(value)) {}

    const Value& value() const {
        return m_value;
    }
    template <class C> bool is() const {
        return std::holds_alternative<C>(m_value);
    }
    // The payload of case C, or null when the step is another case.
    template <class C> const C* get() const {
        return std::get_if<C>(&m_value);
    }

    bool operator==(const Step&) const = default;

private:
    Value m_value;
};

Q_DECLARE_METATYPE(Step)
