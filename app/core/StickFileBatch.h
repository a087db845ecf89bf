#pragma once

#include "SendKit/send/StickFile.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include <exception>
#include <string>

// The files of one batch, dropped on the window or named on the command line, prepared the way
// the stick takes them: only stitch and companion files, each under its stick-safe name, read
// with its digest and sent companions first. Paths are the file system's own bytes, so a name
// that is not UTF-8 is still found; texts show such bytes escaped. Reading never follows anything
// but a regular file and never reads more than the stick would take.
class StickFileBatch {
    Q_DECLARE_TR_FUNCTIONS(StickFileBatch)

public:
    // A file of the batch that cannot go to the stick. Built on a worker, its texts on demand.
    class Failure : public std::exception {
    public:
        enum class Kind { unreadable, notRegular, empty, tooLarge };

        Failure(Kind kind, QByteArray path, QString reason = {}, quint64 limit = 0);

        Kind kind() const { return m_kind; }
        const QByteArray& path() const { return m_path; }
        // The user text, naming the file.
        QString message() const;
        // The log text: the whole path, escaped, and what went wrong.
        QString describe() const;
        const char* what() const noexcept override { return m_what.c_str(); }

    private:
        Kind m_kind;
        QByteArray m_path;
        QString m_reason;
        quint64 m_limit;
        std::string m_what;
    };

    // Two files of the batch that the stick would store under one name (it ignores letter case):
    // the earlier one is kept, the later one left out.
    struct Clash {
        QByteArray kept;
        QByteArray dropped;
        QString stickName;
    };

    explicit StickFileBatch(const QList<QByteArray>& paths);

    // The stitch and companion files, in the given order, without the ones left out by a clash.
    const QList<QByteArray>& accepted() const { return m_accepted; }
    // The names (escaped) of the files that are neither stitch nor companion files.
    const QStringList& rejected() const { return m_rejected; }
    const QList<Clash>& clashes() const { return m_clashes; }

    // Looks at each accepted file without reading it: it must be a regular file that can be
    // opened and is not empty. Throws Failure for the first that is not.
    void check() const;
    // The accepted files read whole with their digests, companions first. A file larger than
    // limit is refused before any of it is read. Throws Failure. Safe on a worker thread.
    QList<StickFile> read(quint64 limit) const;

    // The name the stick stores the local file under.
    static QString stickName(const QByteArray& path);
    // The path's text with every byte that is not part of valid UTF-8, and every control
    // character, shown as \xNN.
    static QString displayPath(const QByteArray& path);
    // displayPath of the path's last component.
    static QString displayName(const QByteArray& path);

private:
    QList<QByteArray> m_accepted;
    QStringList m_rejected;
    QList<Clash> m_clashes;
};
