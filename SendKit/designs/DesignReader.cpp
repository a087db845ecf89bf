#include "SendKit/designs/DesignReader.h"

#include "SendKit/designs/BrotherPesReader.h"
#include "SendKit/designs/DesignReadError.h"
#include "SendKit/designs/JanomeJefReader.h"
#include "SendKit/designs/MelcoExpReader.h"
#include "SendKit/designs/PfaffVp3Reader.h"
#include "SendKit/designs/TajimaDstReader.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString extension(const QString& fileName) {
    return QFileInfo(fileName).suffix().toLower();
}

} // namespace

StitchDesign DesignReader::read(const QString& fileName, const QByteArray& bytes) {
    const QString suffix = extension(fileName);
    if (suffix == QLatin1String("dst"))
        return TajimaDstReader::read(fileName, bytes);
    if (suffix == QLatin1String("exp"))
        return MelcoExpReader::read(fileName, bytes);
    if (suffix == QLatin1String("jef"))
        return JanomeJefReader::read(fileName, bytes);
    if (suffix == QLatin1String("pes"))
        return BrotherPesReader::read(fileName, bytes);
    if (suffix == QLatin1String("vp3"))
        return PfaffVp3Reader::read(fileName, bytes);
    throw DesignReadError(
        DesignReadError::Kind::noReader, fileName,
        suffix.isEmpty()
            ? QStringLiteral("%1 has no extension that names a design format").arg(fileName)
            : QStringLiteral("%1: %2 designs cannot be read yet").arg(fileName, suffix.toUpper()),
        suffix.toUpper());
}

StitchDesign DesignReader::readFile(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const auto unopened = [&](const QString& reason) {
        return DesignReadError(DesignReadError::Kind::unopened, name,
                               QStringLiteral("%1 cannot be opened: %2").arg(name, reason));
    };
    // Not blocking, so that a FIFO opens at once instead of waiting for a writer; the type is
    // checked on what was opened, so nothing can be swapped in between.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        throw unopened(QString::fromLocal8Bit(std::strerror(errno)));
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        throw unopened(QStringLiteral("it is not a regular file"));
    // The file may grow while it is read: one byte past the limit is enough to know.
    const QByteArray bytes = file.read(sizeLimit + 1);
    if (bytes.size() > sizeLimit)
        throw unopened(QStringLiteral("it is longer than any design"));
    return read(name, bytes);
}
