#include "app/core/AppSettings.h"

namespace {
const QString menuBarKey = QStringLiteral("menuBar");
const QString lastIDKey = QStringLiteral("stick.lastID");
const QString confirmedIDsKey = QStringLiteral("stick.confirmedIDs");
const QString queuedPathsKey = QStringLiteral("queue.paths");
const QString largestHoopKey = QStringLiteral("hoop.largest");
} // namespace

AppSettings::AppSettings()
    : m_settings(QStringLiteral("Brindle"), QStringLiteral("Brindle Stick")) {}

bool AppSettings::menuBar() const {
    return m_settings.value(menuBarKey, true).toBool();
}

void AppSettings::setMenuBar(bool shown) {
    m_settings.setValue(menuBarKey, shown);
}

std::optional<QUuid> AppSettings::lastStickID() const {
    const QUuid id(m_settings.value(lastIDKey).toString());
    if (id.isNull())
        return std::nullopt;
    return id;
}

void AppSettings::setLastStickID(const std::optional<QUuid>& id) {
    if (id)
        m_settings.setValue(lastIDKey, id->toString(QUuid::WithoutBraces));
    else
        m_settings.remove(lastIDKey);
}

QSet<QUuid> AppSettings::confirmedStickIDs() const {
    QSet<QUuid> ids;
    for (const QString& text : m_settings.value(confirmedIDsKey).toStringList()) {
        const QUuid id(text);
        if (!id.isNull())
            ids.insert(id);
    }
    return ids;
}

void AppSettings::setConfirmedStickIDs(const QSet<QUuid>& ids) {
    QStringList texts;
    for (const QUuid& id : ids)
        texts << id.toString(QUuid::WithoutBraces);
    texts.sort();
    m_settings.setValue(confirmedIDsKey, texts);
}

QStringList AppSettings::queuedPaths() const {
    return m_settings.value(queuedPathsKey).toStringList();
}

void AppSettings::setQueuedPaths(const QStringList& paths) {
    if (paths.isEmpty())
        m_settings.remove(queuedPathsKey);
    else
        m_settings.setValue(queuedPathsKey, paths);
    // At once rather than at exit: a crash must not take the queue with it.
    m_settings.sync();
}

std::optional<HoopSize> AppSettings::largestHoop() const {
    return HoopSize::parse(m_settings.value(largestHoopKey).toString());
}

void AppSettings::setLargestHoop(const std::optional<HoopSize>& hoop) {
    if (hoop)
        m_settings.setValue(largestHoopKey, hoop->key());
    else
        m_settings.remove(largestHoopKey);
}
