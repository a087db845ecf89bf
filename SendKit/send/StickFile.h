#pragma once

#include <QByteArray>
#include <QString>

// One file ready to go to the stick: its stick-safe name, its whole content and the SHA-256 the
// stick must report back. The digest is computed once, when the file is made, so it always
// belongs to the data.
class StickFile {
public:
    StickFile(QString name, QByteArray data);

    QString name() const { return m_name; }
    const QByteArray& data() const { return m_data; }
    // 32 bytes.
    const QByteArray& sha256() const { return m_sha256; }

    bool operator==(const StickFile&) const = default;

private:
    QString m_name;
    QByteArray m_data;
    QByteArray m_sha256;
};
