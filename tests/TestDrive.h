#pragma once

#include "platform/DriveTable.h"

#include <QByteArrayList>
#include <QString>
#include <QTemporaryDir>

// A drive "c:" on a temporary folder, with its own state folder for "c:\windows", so that no
// test touches the real home or state folder.
class TestDrive {
public:
    explicit TestDrive(const corvane::SystemCalls& system = corvane::SystemCalls::Real(),
                       bool withStateFolder = true);
    ~TestDrive();
    TestDrive(const TestDrive&) = delete;
    TestDrive& operator=(const TestDrive&) = delete;

    const corvane::DriveTable& drives() const { return m_drives; }
    QByteArray host(const QByteArray& relative = {}) const;

    // Files named by bytes, each holding its own name, in a folder below the drive's root.
    void makeFiles(const QByteArrayList& names, const QByteArray& folder = {}) const;
    // The names in a folder, sorted by bytes.
    QByteArrayList names(const QByteArray& folder = {}) const;
    // Whether every file still holds the name it was made with, under any of `originals`.
    bool contentsIntact(const QByteArrayList& originals, const QByteArray& folder = {}) const;
    QByteArray contents(const QByteArray& name, const QByteArray& folder = {}) const;
    QByteArray log() const;

private:
    QTemporaryDir m_dir;
    corvane::DriveTable m_drives;
};
