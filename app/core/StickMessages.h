#pragma once

#include "SendKit/StickError.h"
#include "SendKit/bluetooth/StickConnectPhase.h"
#include "SendKit/protocol/StickInfo.h"
#include "app/core/HoopSize.h"
#include "app/core/Step.h"

#include <QCoreApplication>
#include <QSize>
#include <QString>
#include <QStringList>

#include <exception>
#include <optional>

// The texts the application shows the user about the stick: what went wrong, how much room is
// left, and which dropped files were not taken. Built in the current locale every time.
class DesignReadError;
struct DesignPreview;

class StickMessages {
    Q_DECLARE_TR_FUNCTIONS(StickMessages)

public:
    // The user text of an error. The stick name is the connected stick's device name, if known.
    static QString message(const StickError& error,
                           const std::optional<QString>& stickName = std::nullopt);
    // Errors from outside the transport fall back to their own description.
    static QString message(const std::exception& error,
                           const std::optional<QString>& stickName = std::nullopt);

    // The one-line status of a step, as the window's header and the tray item show it.
    static QString statusLine(const Step& step, const std::optional<StickInfo>& info);
    static QString phaseText(StickConnectPhase phase);

    // "SD card · 1.6 MB free" for the active volume, or nothing when none is active.
    static std::optional<QString> freeSpaceText(const std::optional<StickInfo>& info);

    // The notice naming dropped files that are neither stitch nor companion files.
    static QString rejectedFilesNotice(const QStringList& fileNames);
    // The notice naming dropped files left out because an earlier file of the batch takes the same
    // name on the stick.
    static QString sameNameNotice(const QStringList& fileNames);
    static QString unreadableFileMessage();

    // "212 × 148 mm · 12,345 stitches · 3 colours": the size in whole millimetres, rounded up, so
    // that a design said to be as large as a hoop fits it.
    static QString designFigures(const DesignPreview& preview);
    // Why a design file cannot be read as the format its name promises.
    static QString designProblem(const DesignReadError& error);
    // The warning for a design of that size (0.1 mm) larger than the hoop.
    static QString hoopWarning(const QString& fileName, QSize design, const HoopSize& hoop);

    // A size in decimal units with one decimal, the way the desktop's file manager shows it.
    static QString byteCount(quint64 bytes);
};
