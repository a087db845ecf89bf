#include "SendKit/protocol/StickWireError.h"

#include <utility>

StickWireError::StickWireError(QString description)
    : m_description(std::move(description))
    , m_what(m_description.toUtf8()) {}

QString StickWireError::description() const {
    return m_description;
}

const char* StickWireError::what() const noexcept {
    return m_what.constData();
}

bool StickWireError::operator==(const StickWireError& other) const {
    return m_description == other.m_description;
}
