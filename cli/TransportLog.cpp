#include "cli/TransportLog.h"

#include "SendKit/StickLog.h"

void TransportLog::start(QTextStream& stream) {
    StickLog::setSink([&stream](const QString& line) {
        stream << timeStamp(QDateTime::currentDateTime()) << ' ' << line << Qt::endl;
    });
}

void TransportLog::stop() {
    StickLog::setSink({});
}

QString TransportLog::timeStamp(const QDateTime& moment) {
    const QDateTime local = moment.toLocalTime();
    const int offset = local.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    const QString zone = offset == 0 ? QStringLiteral("Z")
                                     : QString::asprintf("%c%02d%02d", offset < 0 ? '-' : '+',
                                                         minutes / 60, minutes % 60);
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + zone;
}
