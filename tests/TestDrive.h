// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DriveTable.h"
#include "platform/RenameJournal.h"

#include <QByteArrayList>
#include <QFile>
#include <QTemporaryDir>

// A drive "c:" on a temporary folder, or on `home` (a folder of a volume under test, made if need
// be), with its own state folder for "c:\windows" in a temporary folder or at `state`, so that no
// test touches the real ones.
class TestDrive {
public:
    explicit TestDrive(const corvane::SystemCalls& system = corvane::SystemCalls::Real(),
                       const QByteArray& home = {}, const QByteArray& state = {});
    ~TestDrive();
    TestDrive(const TestDrive&) = delete;
    TestDrive& operator=(const TestDrive&) = delete;

    const corvane::DriveTable& drives() const { return m_drives; }
    corvane::DriveTable& drives() { return m_drives; }
    QByteArray host(const QByteArray& relative = {}) const;
    const QByteArray& stateFolder() const { return m_state; }

    // Files named by bytes, each holding its own name, in a folder below the drive's root.
    void makeFiles(const QByteArrayList& names, const QByteArray& folder = {}) const;
    // The names in a folder, sorted by bytes.
    QByteArrayList names(const QByteArray& folder = {}) const;
    // Whether every file still holds the name it was made with, under any of `originals`.
    bool contentsIntact(const QByteArrayList& originals, const QByteArray& folder = {}) const;
    QByteArray contents(const QByteArray& name, const QByteArray& folder = {}) const;
    QByteArray log() const;
    // The journal of pending renames, as bytes; written whole, the last entry torn if asked.
    QByteArray journal() const;
    void writeJournal(const QList<corvane::PendingRename>& renames, bool tornLast = false) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_state;
    corvane::DriveTable m_drives;
};
