#include "cli/InspectCommand.h"

#include "SendKit/designs/DesignReadError.h"
#include "SendKit/designs/DesignReader.h"
#include "SendKit/files/StickFileName.h"
#include "SendKit/protocol/StickText.h"
#include "app/picture/DesignPicture.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <limits>

namespace {

QString millimetres(int tenths) {
    return QString::number(tenths / 10.0, 'f', 1);
}

QStringList colorNames(const StitchDesign& design) {
    QStringList names;
    for (const quint32 color : design.threadColors)
        names << QStringLiteral("#%1").arg(color & 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper();
    return names;
}

QJsonObject designJson(const QString& fileName, const StitchDesign& design) {
    return QJsonObject{{"file", fileName},
                       {"format", design.format},
                       {"stitches", design.stitchCount()},
                       {"colorChanges", design.colorChanges()},
                       {"jumps", design.jumps()},
                       {"trims", design.trims()},
                       {"widthMm", design.size().width() / 10.0},
                       {"heightMm", design.size().height() / 10.0},
                       {"colors", QJsonArray::fromStringList(colorNames(design))}};
}

// A file name may hold tabs, escapes or a bidirectional override that would garble or disguise
// the line in the terminal; JSON escapes its own.
QString shown(const QString& text) {
    return StickText::clean(text, std::numeric_limits<int>::max());
}

} // namespace

InspectCommand::InspectCommand(QTextStream& out, QTextStream& err)
    : m_out(out)
    , m_err(err) {}

ExitCode InspectCommand::run(const QStringList& paths, bool json,
                             const std::optional<QString>& png) {
    ExitCode code = ExitCode::succeeded;
    QJsonArray documents;
    for (const QString& path : paths) {
        const QString fileName = QFileInfo(path).fileName();
        // A design's colour list or preview travels beside it (inspect samples/* meets one) and
        // holds no stitches: named, not failed; drawing one is still asked of a design reader.
        if (StickFileName::isCompanion(fileName) && !png) {
            if (json)
                documents.append(QJsonObject{{"file", fileName}, {"companion", true}});
            else
                m_out << shown(fileName) << ": companion file of a design, no stitches\n";
            continue;
        }
        try {
            const StitchDesign design = DesignReader::readFile(path);
            if (json)
                documents.append(designJson(fileName, design));
            else
                print(fileName, design);
            if (png && !DesignPicture::draw(design, QSize(512, 512)).save(*png, "PNG")) {
                code = ExitCode::failed;
                m_err << "error: the picture could not be written to " << *png << Qt::endl;
            }
        } catch (const DesignReadError& error) {
            code = ExitCode::failed;
            if (json)
                documents.append(QJsonObject{{"file", fileName}, {"error", error.message()}});
            else
                m_err << "error: " << shown(error.message()) << Qt::endl;
        }
    }
    if (json)
        m_out << QJsonDocument(documents).toJson(QJsonDocument::Indented);
    m_out << Qt::flush;
    return code;
}

void InspectCommand::print(const QString& fileName, const StitchDesign& design) {
    const QStringList colors = colorNames(design);
    m_out << shown(fileName) << ": " << design.format << " design\n"
          << "  stitches:       " << design.stitchCount() << '\n'
          << "  colour changes: " << design.colorChanges() << '\n'
          << "  jumps:          " << design.jumps() << '\n'
          << "  trims:          " << design.trims() << '\n'
          << "  size:           " << millimetres(design.size().width()) << " × "
          << millimetres(design.size().height()) << " mm\n"
          << "  colours:        "
          << (colors.isEmpty() ? QStringLiteral("none named in the file") : colors.join(", "))
          << '\n';
}
