#pragma once

#include "SendKit/loopback/LoopbackStick.h"

#include <QString>

#include <map>

// The simulated stick's files kept in a folder between runs: one file per stored file, under its
// stored name, its modification time the stored time stamp. Only names the stick accepts are
// read or written, so nothing is ever written outside the folder, and other files in it are left
// alone.
class LoopbackFolder {
public:
    explicit LoopbackFolder(QString path);

    // Creates the folder when it is missing and stores each of its files on the stick. Throws
    // std::runtime_error naming what could not be read.
    void load(LoopbackStick& stick);
    // Writes what changed on the stick since load(): new and changed files are written, files
    // the stick no longer holds are removed. Throws std::runtime_error naming what could not be
    // written.
    void save(const LoopbackStick& stick);

private:
    QString pathOf(const QString& name) const;

    QString m_path;
    // The files as they were last loaded or saved.
    std::map<QString, LoopbackStick::StoredFile> m_kept;
};
