#include "SendKit/send/StickFile.h"

#include <QCryptographicHash>

StickFile::StickFile(QString name, QByteArray data)
    : m_name(std::move(name))
    , m_data(std::move(data))
    , m_sha256(QCryptographicHash::hash(m_data, QCryptographicHash::Sha256)) {}
