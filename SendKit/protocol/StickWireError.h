#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// A frame or payload from the wire that does not decode; the description says what did not fit.
class StickWireError : public std::exception {
public:
    explicit StickWireError(QString description);

    QString description() const;
    const char* what() const noexcept override;
    bool operator==(const StickWireError& other) const;

private:
    QString m_description;
    QByteArray m_what;
};
