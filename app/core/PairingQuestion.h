#pragma once

#include <QMetaType>
#include <QString>

// A pairing the stick started and the person must complete: type the 6 digits the stick shows,
// or say whether the number shown here matches the stick's.
struct PairingQuestion {
    enum class Kind { Passkey, Comparison };

    Kind kind = Kind::Passkey;
    QString stickName;
    quint32 number = 0; // the number to compare; 0 for a passkey question

    bool operator==(const PairingQuestion&) const = default;
};

Q_DECLARE_METATYPE(PairingQuestion)
