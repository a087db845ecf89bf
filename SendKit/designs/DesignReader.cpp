#include "SendKit/designs/DesignReader.h"

#include "SendKit/designs/BrotherPesReader.h"
#include "SendKit/designs/DesignReadError.h"
#include "SendKit/designs/JanomeJefReader.h"
#include "SendKit/designs/MelcoExpReader.h"
#include "SendKit/designs/PfaffVp3Reader.h"
#include "SendKit/designs/TajimaDstReader.h"

#include <QFile>
#include <QFileInfo>

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
    QFile file(path);
    const QString name = QFileInfo(path).fileName();
    if (!file.open(QIODevice::ReadOnly))
        throw DesignReadError(
            DesignReadError::Kind::unopened, name,
            QStringLiteral("%1 cannot be opened: %2").arg(name, file.errorString()));
    return read(name, file.readAll());
}
