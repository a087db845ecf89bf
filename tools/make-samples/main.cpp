// Writes the project's sample designs: star.dst with its preview star.png, and heart.exp. Each
// file is read back and compared with the design before anything is written.

#include "MelcoExp.h"
#include "StitchPath.h"
#include "TajimaDst.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>

namespace {

constexpr int maxJump = 100;  // 10 mm, within both formats' longest move
constexpr int maxStitch = 30; // 3 mm running stitches

QPoint polar(double radius, double degrees) {
    const double angle = degrees * std::numbers::pi / 180;
    return QPoint(int(std::lround(radius * std::cos(angle))),
                  int(std::lround(radius * std::sin(angle))));
}

// A five-pointed star outline 60 mm across, then in a second colour a star half its size.
StitchPath star() {
    StitchPath path;
    for (const double outer : {300.0, 150.0}) {
        if (!path.steps.isEmpty())
            path.changeColor();
        const double inner = outer * 0.382;
        path.jumpTo(polar(outer, 90), maxJump);
        for (int vertex = 1; vertex <= 10; ++vertex)
            path.stitchTo(polar(vertex % 2 ? inner : outer, 90 + 36 * vertex), maxStitch);
    }
    return path;
}

QPoint heartPoint(double scale, double t) {
    const double x = 16 * std::pow(std::sin(t), 3);
    const double y = 13 * std::cos(t) - 5 * std::cos(2 * t) - 2 * std::cos(3 * t) - std::cos(4 * t);
    return QPoint(int(std::lround(scale * x)), int(std::lround(scale * y)));
}

// A heart outline about 58 mm wide, then in a second colour a heart half its size.
StitchPath heart() {
    StitchPath path;
    for (const double scale : {18.0, 9.0}) {
        if (!path.steps.isEmpty())
            path.changeColor();
        constexpr int samples = 96;
        path.jumpTo(heartPoint(scale, 0), maxJump);
        for (int i = 1; i <= samples; ++i)
            path.stitchTo(heartPoint(scale, 2 * std::numbers::pi * i / samples), maxStitch);
    }
    return path;
}

void require(bool condition, const char* what) {
    if (!condition)
        throw std::runtime_error(what);
}

// The record examples of the formats' documentation, so that an encoder and a decoder that
// agree with each other cannot both be wrong.
void checkDocumentedRecords() {
    StitchPath dst;
    dst.steps = {{StitchPath::Kind::Stitch, {-12, 64}},
                 {StitchPath::Kind::Jump, {-24, 128}},
                 {StitchPath::Kind::ColorChange, {-24, 128}}};
    require(TajimaDst::encode(dst, "check").mid(512) ==
                QByteArray::fromHex("A81223A812A30000C30000F3"),
            "DST records differ from the documented bytes");

    StitchPath exp;
    exp.steps = {{StitchPath::Kind::Stitch, {0, 127}},
                 {StitchPath::Kind::Stitch, {127, 127}},
                 {StitchPath::Kind::Jump, {254, 127}},
                 {StitchPath::Kind::ColorChange, {254, 127}},
                 {StitchPath::Kind::Stitch, {254, 0}}};
    require(MelcoExp::encode(exp) == QByteArray::fromHex("007F7F0080047F008001000000818080"),
            "EXP records differ from the documented bytes");
}

void write(const QDir& directory, const QString& name, const QByteArray& bytes) {
    QFile file(directory.filePath(name));
    require(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush(),
            "a sample could not be written");
    std::printf("%s: %lld bytes\n", qPrintable(file.fileName()), qlonglong(bytes.size()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-samples <output directory>\n");
        return 2;
    }
    try {
        checkDocumentedRecords();

        const StitchPath starPath = star();
        const QByteArray starDst = TajimaDst::encode(starPath, "star");
        require(TajimaDst::decode(starDst) == starPath, "star.dst does not read back as the star");

        QByteArray starPng;
        QBuffer buffer(&starPng);
        buffer.open(QIODevice::WriteOnly);
        require(
            starPath.preview(QSize(256, 256), {QColor(0xD4, 0x9A, 0x06), QColor(0xA4, 0x00, 0x00)})
                .save(&buffer, "PNG"),
            "the star preview could not be encoded");
        require(QImage::fromData(starPng, "PNG").size() == QSize(256, 256),
                "star.png does not read back");

        const StitchPath heartPath = heart();
        const QByteArray heartExp = MelcoExp::encode(heartPath);
        require(MelcoExp::decode(heartExp) == heartPath,
                "heart.exp does not read back as the heart");

        const QDir directory(QString::fromLocal8Bit(argv[1]));
        require(directory.mkpath("."), "the output directory could not be made");
        write(directory, "star.dst", starDst);
        write(directory, "star.png", starPng);
        write(directory, "heart.exp", heartExp);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-samples: %s\n", error.what());
        return 1;
    }
    return 0;
}
