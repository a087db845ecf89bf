#include "app/core/StickMessages.h"

#include "SendKit/designs/DesignReadError.h"
#include "app/picture/DesignPreview.h"

#include <QLocale>

#include <limits>
#include <type_traits>
#include <variant>

namespace {

template <class> inline constexpr bool alwaysFalse = false;

int wholeMillimetres(int tenths) {
    return (tenths + 9) / 10;
}

} // namespace

QString StickMessages::message(const StickError& error, const std::optional<QString>& stickName) {
    return std::visit(
        [&](const auto& value) -> QString {
            using Case = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Case, StickError::FirmwareIncompatible>) {
                return tr("This stick speaks protocol %1 (firmware %2). Update its firmware to "
                          "send from this version of Brindle Stick.")
                    .arg(value.stickProtocol, value.firmware);
            } else if constexpr (std::is_same_v<Case, StickError::FileTooLarge>) {
                if (value.limit == 0)
                    return tr("The file is larger than the stick takes. Insert an SD card for "
                              "larger files.");
                return tr("The file is larger than the stick takes (%1). Insert an SD card for "
                          "larger files.")
                    .arg(byteCount(value.limit));
            } else if constexpr (std::is_same_v<Case, StickError::NameRejected>) {
                return tr("The stick refused the file name “%1”. Rename the file with letters and "
                          "digits, then send again.")
                    .arg(value.name);
            } else if constexpr (std::is_same_v<Case, StickError::NameExists>) {
                return tr("Already on the stick: %1.").arg(value.names.join(u", "));
            } else if constexpr (std::is_same_v<Case, StickError::NotFound>) {
                return tr("That file is no longer on the stick.");
            } else if constexpr (std::is_same_v<Case, StickError::ProtocolError> ||
                                 std::is_same_v<Case, StickError::Refused>) {
                // What exactly the stick got wrong is for the journal; the user can only
                // restart it.
                return tr("The stick answered something unexpected. Unplug it, plug it in again "
                          "and try once more.");
            } else if constexpr (std::is_same_v<Case, StickError::BluetoothOff>) {
                return tr("Bluetooth is off. Turn it on in Settings › Bluetooth, then try again.");
            } else if constexpr (std::is_same_v<Case, StickError::BluetoothUnauthorized>) {
                return tr("Brindle Stick may not use Bluetooth. Allow it in Settings › Privacy & "
                          "Security › Bluetooth, then try again.");
            } else if constexpr (std::is_same_v<Case, StickError::BluetoothUnsupported>) {
                return tr("This computer cannot talk to the stick: it needs Bluetooth 4.2 or "
                          "newer.");
            } else if constexpr (std::is_same_v<Case, StickError::NoStickFound>) {
                return tr("No stick found. Plug it into the machine or a USB power source, and "
                          "keep the computer close.");
            } else if constexpr (std::is_same_v<Case, StickError::StickUnreachable>) {
                return tr("The stick does not answer. Is an iPad connected to it? Close the stick "
                          "there, move closer and try again.");
            } else if constexpr (std::is_same_v<Case, StickError::PairingFailed>) {
                return tr("Pairing did not work. If the stick showed no code, hold its button for "
                          "3 seconds until it says it is ready to pair, then try again. If it "
                          "showed a code, enter exactly that one. Pairing needs Bluetooth 4.2 or "
                          "newer on this computer.");
            } else if constexpr (std::is_same_v<Case, StickError::PairingStale>) {
                // Before any GET_INFO the stick still advertises under its default name.
                const QString name =
                    stickName && !stickName->isEmpty() ? *stickName : QStringLiteral("Brindle");
                return tr("The stick no longer knows this computer. In Settings › Bluetooth, "
                          "remove “%1”, then pair again.")
                    .arg(name);
            } else if constexpr (std::is_same_v<Case, StickError::MtuTooSmall>) {
                return tr("The Bluetooth connection is too narrow for the stick. Switch Bluetooth "
                          "off and on, then try again.");
            } else if constexpr (std::is_same_v<Case, StickError::MachineBusy>) {
                return tr("The machine is reading from the stick right now. Wait a moment, then "
                          "send again.");
            } else if constexpr (std::is_same_v<Case, StickError::StickBusy>) {
                return tr("The stick is still busy with another transfer. Try again in a moment.");
            } else if constexpr (std::is_same_v<Case, StickError::StorageFull>) {
                return tr("The stick is full. Delete files on it below, or insert an SD card.");
            } else if constexpr (std::is_same_v<Case, StickError::NoMedium>) {
                return tr("The SD card was removed. Insert it again, or send to the stick's own "
                          "memory.");
            } else if constexpr (std::is_same_v<Case, StickError::StorageError>) {
                return tr("The stick could not write its memory. Try again; if it happens again, "
                          "format the SD card as FAT32.");
            } else if constexpr (std::is_same_v<Case, StickError::TransferInterrupted>) {
                return tr("The connection was lost. Move closer and try again.");
            } else if constexpr (std::is_same_v<Case, StickError::IntegrityMismatch>) {
                return tr("What the stick stored differs from what was sent. Send again.");
            } else if constexpr (std::is_same_v<Case, StickError::Timeout>) {
                return tr("The stick stopped answering. Move closer and try again.");
            } else if constexpr (std::is_same_v<Case, StickError::Cancelled>) {
                return tr("Sending was cancelled.");
            } else {
                static_assert(alwaysFalse<Case>, "every error case needs a message");
            }
        },
        error.value());
}

QString StickMessages::message(const std::exception& error,
                               const std::optional<QString>& stickName) {
    if (const auto* stickError = dynamic_cast<const StickError*>(&error))
        return message(*stickError, stickName);
    return QString::fromUtf8(error.what());
}

QString StickMessages::statusLine(const Step& step, const std::optional<StickInfo>& info) {
    return std::visit(
        [&](const auto& value) -> QString {
            using Case = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Case, Step::Starting>)
                return tr("Starting…");
            else if constexpr (std::is_same_v<Case, Step::Searching>)
                return tr("Looking for your stick…");
            else if constexpr (std::is_same_v<Case, Step::Connecting>)
                return phaseText(value.phase);
            else if constexpr (std::is_same_v<Case, Step::Confirm>)
                return tr("Look at the stick's display");
            else if constexpr (std::is_same_v<Case, Step::Ready> ||
                               std::is_same_v<Case, Step::Replace> ||
                               std::is_same_v<Case, Step::Done>)
                return freeSpaceText(info).value_or(tr("Connected"));
            else if constexpr (std::is_same_v<Case, Step::Preparing>)
                return tr("Preparing…");
            else if constexpr (std::is_same_v<Case, Step::Sending>)
                return tr("Sending…");
            else if constexpr (std::is_same_v<Case, Step::Verifying>)
                return tr("Checking on the stick…");
            else if constexpr (std::is_same_v<Case, Step::Failed>)
                return tr("Not connected");
            else if constexpr (std::is_same_v<Case, Step::Released>)
                return tr("Released — the stick is free for your iPad");
            else
                static_assert(alwaysFalse<Case>, "every step needs a status line");
        },
        step.value());
}

QString StickMessages::phaseText(StickConnectPhase phase) {
    switch (phase) {
    case StickConnectPhase::Connecting:
        break;
    case StickConnectPhase::Securing:
        return tr("Securing the connection. If asked for a code, type the 6 digits on the "
                  "stick's display.");
    }
    return tr("Connecting…");
}

std::optional<QString> StickMessages::freeSpaceText(const std::optional<StickInfo>& info) {
    const std::optional<StickVolume> volume = info ? info->active() : std::nullopt;
    if (!volume)
        return std::nullopt;
    const QString free = byteCount(volume->freeBytes);
    if (std::holds_alternative<StickVolume::Kind::SDCard>(volume->kind.value))
        return tr("SD card · %1 free").arg(free);
    return tr("Stick memory · %1 free").arg(free);
}

QString StickMessages::rejectedFilesNotice(const QStringList& fileNames) {
    return tr("Not embroidery files, so not sent: %1. The stick takes DST, EXP, PES, JEF, VP3 and "
              "the other machine formats.")
        .arg(fileNames.join(u", "));
}

QString StickMessages::sameNameNotice(const QStringList& fileNames) {
    QStringList lines;
    for (const QString& name : fileNames)
        lines << tr("%1: same name on the stick as another file").arg(name);
    return lines.join(u'\n');
}

QString StickMessages::unreadableFileMessage() {
    return tr("The file could not be read. Is it still where it was?");
}

QString StickMessages::designFigures(const DesignPreview& preview) {
    const QLocale locale;
    const QString stitches = preview.stitches == 1
                                 ? tr("1 stitch")
                                 : tr("%1 stitches").arg(locale.toString(preview.stitches));
    const QString colors =
        preview.colors == 1 ? tr("1 colour") : tr("%1 colours").arg(preview.colors);
    return tr("%1 × %2 mm · %3 · %4")
        .arg(wholeMillimetres(preview.size.width()))
        .arg(wholeMillimetres(preview.size.height()))
        .arg(stitches, colors);
}

QString StickMessages::designProblem(const DesignReadError& error) {
    if (error.kind() == DesignReadError::Kind::cutShort)
        return tr("%1 is cut short: it ends after %2 bytes, before its %3 design does. The "
                  "machine may not read it.")
            .arg(error.fileName(), QLocale().toString(qint64(error.length())), error.format());
    return tr("%1 is not what its name says: it holds no %2 design. The machine may not read it.")
        .arg(error.fileName(), error.format());
}

QString StickMessages::hoopWarning(const QString& fileName, QSize design, const HoopSize& hoop) {
    return tr("%1 is %2 × %3 mm, larger than your hoop (%4 mm).")
        .arg(fileName)
        .arg(wholeMillimetres(design.width()))
        .arg(wholeMillimetres(design.height()))
        .arg(hoop.text());
}

QString StickMessages::byteCount(quint64 bytes) {
    // Qt's own unit text has no singular.
    if (bytes == 1)
        return tr("1 byte");
    // Qt counts sizes in signed 64 bits; anything beyond is shown as the largest it can count.
    const qint64 capped = qint64(std::min<quint64>(bytes, std::numeric_limits<qint64>::max()));
    return QLocale().formattedDataSize(capped, 1, QLocale::DataSizeSIFormat);
}
