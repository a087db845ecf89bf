// Writes the project's sample designs, one for every format the application reads: star.dst with
// its preview star.png, heart.exp, flower.jef, leaf.pes and wave.vp3. Each file is read back, by
// the application's own readers too, and compared with the design before anything is written.

#include "BrotherPes.h"
#include "JanomeJef.h"
#include "MelcoExp.h"
#include "PfaffVp3.h"
#include "StitchPath.h"
#include "TajimaDst.h"

#include "SendKit/designs/DesignReadError.h"
#include "SendKit/designs/DesignReader.h"

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

QPoint ellipsePoint(QPoint centre, int radiusX, int radiusY, double degrees) {
    const QPoint offset = polar(1000, degrees);
    return centre + QPoint(int(std::lround(radiusX * offset.x() / 1000.0)),
                           int(std::lround(radiusY * offset.y() / 1000.0)));
}

// Five round petals 46 mm across, each reached by a jump, then in a second colour the heart of
// the flower.
StitchPath flower() {
    StitchPath path;
    for (int petal = 0; petal < 5; ++petal) {
        const QPoint centre = polar(150, 90 + 72 * petal);
        path.jumpTo(ellipsePoint(centre, 80, 80, 0), maxJump);
        for (int degrees = 15; degrees <= 360; degrees += 15)
            path.stitchTo(ellipsePoint(centre, 80, 80, degrees), maxStitch);
    }
    path.changeColor();
    path.jumpTo(QPoint(60, 0), maxJump);
    for (int degrees = 20; degrees <= 360; degrees += 20)
        path.stitchTo(ellipsePoint(QPoint(), 60, 60, degrees), maxStitch);
    return path;
}

// A leaf 60 mm long, pointed at both ends, then in a second colour its stem and vein.
StitchPath leaf() {
    StitchPath path;
    path.jumpTo(QPoint(0, -300), maxJump);
    constexpr int samples = 24;
    for (const int side : {1, -1}) {
        for (int i = 1; i <= samples; ++i) {
            const double s = double(i) / samples;
            const QPoint point(int(std::lround(side * 160 * std::sin(std::numbers::pi * s))),
                               int(std::lround(side * (600 * s - 300))));
            path.stitchTo(point, maxStitch);
        }
    }
    path.changeColor();
    path.jumpTo(QPoint(0, -400), maxJump);
    path.stitchTo(QPoint(0, 240), maxStitch);
    return path;
}

// Two waves 80 mm long, one above the other, each in its own colour and reached by one jump.
StitchPath wave() {
    StitchPath path;
    for (const int baseline : {100, -100}) {
        if (!path.steps.isEmpty())
            path.changeColor();
        path.jumpTo(QPoint(-400, baseline), 1000);
        for (int x = -380; x <= 400; x += 20)
            path.stitchTo(QPoint(x, baseline + int(std::lround(60 * std::sin(std::numbers::pi *
                                                                             (x + 400) / 200)))),
                          maxStitch);
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

// Reads a sample as the application does and checks that it holds the design and its colours.
void requireReadBack(const QString& name, const QByteArray& bytes, const StitchPath& path,
                     const QList<quint32>& colors) {
    StitchDesign design;
    try {
        design = DesignReader::read(name, bytes);
    } catch (const DesignReadError& error) {
        throw std::runtime_error(error.message().toStdString());
    }
    StitchPath read;
    for (const StitchDesign::Stitch& stitch : design.stitches) {
        switch (stitch.kind) {
        case StitchDesign::Stitch::Kind::normal:
            read.steps.append({StitchPath::Kind::Stitch, stitch.position});
            break;
        case StitchDesign::Stitch::Kind::jump:
            read.steps.append({StitchPath::Kind::Jump, stitch.position});
            break;
        case StitchDesign::Stitch::Kind::colorChange:
            read.steps.append({StitchPath::Kind::ColorChange, stitch.position});
            break;
        case StitchDesign::Stitch::Kind::trim:
            throw std::runtime_error(name.toStdString() + " reads with a trim it was not given");
        case StitchDesign::Stitch::Kind::end:
            break;
        }
    }
    require(read == path, "a sample does not read back as its design");
    require(design.threadColors == colors, "a sample does not read back with its colours");
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

        requireReadBack("star.dst", starDst, starPath, {});
        requireReadBack("heart.exp", heartExp, heartPath, {});

        // Janome's pink and yellow.
        const StitchPath flowerPath = flower();
        const QByteArray flowerJef = JanomeJef::encode(flowerPath, {9, 3});
        requireReadBack("flower.jef", flowerJef, flowerPath, {0xF669A0, 0xFFFF17});

        // Brother's leaf green and light brown.
        const StitchPath leafPath = leaf();
        const QByteArray leafPes = BrotherPes::encode(leafPath, "leaf", {37, 26});
        requireReadBack("leaf.pes", leafPes, leafPath, {0x66BA49, 0xB27624});

        const StitchPath wavePath = wave();
        const QList<quint32> waveColors{0x1E77AC, 0xE3311F};
        const QByteArray waveVp3 = PfaffVp3::encode(wavePath, waveColors);
        requireReadBack("wave.vp3", waveVp3, wavePath, waveColors);

        const QDir directory(QString::fromLocal8Bit(argv[1]));
        require(directory.mkpath("."), "the output directory could not be made");
        write(directory, "star.dst", starDst);
        write(directory, "star.png", starPng);
        write(directory, "heart.exp", heartExp);
        write(directory, "flower.jef", flowerJef);
        write(directory, "leaf.pes", leafPes);
        write(directory, "wave.vp3", waveVp3);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-samples: %s\n", error.what());
        return 1;
    }
    return 0;
}
