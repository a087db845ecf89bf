#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

// The application's own log: a plain-text file of timestamped lines the user can reveal and send
// to support, mirrored to the logging category "app.brindle.stick" so the lines also reach the
// system journal. Writing never blocks the caller and never fails visibly: one worker thread
// appends the lines in call order and swallows every file-system error.
class Journal {
public:
    // A file larger than sizeLimit bytes becomes "stick.1.log" before the next line is appended.
    explicit Journal(QString folder = Journal::defaultFolder(), qint64 sizeLimit = 1'000'000);
    // Writes the lines still pending, then stops the worker.
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // "$XDG_STATE_HOME/Brindle Stick", by default "~/.local/state/Brindle Stick".
    static QString defaultFolder();
    // "stick.log" in the folder; its previous generation is "stick.1.log" beside it.
    QString filePath() const;

    // Stamps the message with the time of the call and queues its line; callable from any thread.
    void write(const QString& message);
    // Returns once every line written before the call is in the file (or was lost trying).
    void flush();
    // Writes "log opened from the Help menu", waits for the pending lines, then asks the file
    // manager to show the file selected.
    void reveal();

    // The line written at launch: "Brindle Stick <version> (<build>) launched on <system>"; a
    // missing version is written as "?".
    static QString launchLine(const QString& version, const QString& build);
    // The operating system's pretty name, for example "Debian GNU/Linux 12 (bookworm)".
    static QString systemName();
    // ISO 8601 in the time's own zone, with milliseconds and the offset without a separator
    // ("2026-12-05T12:33:58.123+0100"), or "Z" at offset zero.
    static QString timestamp(const QDateTime& time);

private:
    class Writer;
    std::unique_ptr<Writer> m_writer;
};
