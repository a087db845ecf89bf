#pragma once

#include <QString>
#include <QtGlobal>

// One file listed on the stick; its name is always cleaned, however the entry is made.
class StickFileEntry {
public:
    StickFileEntry(const QString& name, quint32 size, quint32 mtime);

    static constexpr int nameLimit = 255;

    QString name() const { return m_name; }
    quint32 size() const { return m_size; }
    // Local wall-clock seconds since 1970, 0 for none (see StickTime).
    quint32 mtime() const { return m_mtime; }

    bool operator==(const StickFileEntry&) const = default;

private:
    QString m_name;
    quint32 m_size = 0;
    quint32 m_mtime = 0;
};
