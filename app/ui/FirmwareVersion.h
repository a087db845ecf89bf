#pragma once

#include <QList>
#include <QString>

// The stick firmware the window recommends, and the rule that says whether a stick's version is
// older: versions compare by their runs of digits, so "v1-0-9" is 1.0.9 and "1.0.10-beta" is
// 1.0.10.
class FirmwareVersion {
public:
    static QString recommended() { return QStringLiteral("1.0.10"); }

    // Whether the version is older than the recommended one. A version without any number is
    // never older: it cannot be judged.
    static bool isOutdated(const QString& version);

private:
    // Compares run by run from the left, a missing run counting as 0.
    static bool isOlder(const QString& version, const QString& than);
    // The runs of ASCII digits as numbers; a run too long to read is left out.
    static QList<qulonglong> numbers(const QString& version);
};
