// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DriveTable.h"
#include "platform/EntryId.h"
#include "platform/FileErrorCode.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringView>
#include <memory>
#include <optional>

namespace corvane {

class PlainFileLookAhead;

// Whether a name can be given to a file here: an entry name free of "\", which would split its
// drive path.
bool IsBareFileName(QStringView name);

// Whether a file may be renamed to `newName`: a bare file name without a leading dot that would
// hide a visible file. Whether the host can spell it is the caller's, who encodes it anyway.
bool MayRenameTo(QStringView oldName, QStringView newName);

struct RenameResult {
    RenameResult(FileErrorCode code = kNoError, QString leftAs = {})
        : code(code), leftAs(std::move(leftAs)) {}
    FileErrorCode code;
    // Set when a failed step could not be taken back: the name the file is left under, beside
    // or instead of its old one. The journal keeps the step, to be repaired on the next try.
    QString leftAs;
};

// A folder (a drive path) opened for the many renames of one action, a batch, an Undo or a hand
// rename, and closed when it ends: every rename happens in that very folder, even when its path
// is made to lead elsewhere meanwhile.
class FolderOnHost {
public:
    FolderOnHost(const DriveTable& drives, QStringView folder);
    ~FolderOnHost();
    FolderOnHost(const FolderOnHost&) = delete;
    FolderOnHost& operator=(const FolderOnHost&) = delete;

    // The folder held; nothing when the drive path led to none.
    std::optional<EntryId> id() const { return m_id; }
    // Why nothing may be renamed here: the folder could not be opened, or its volume cannot
    // promise that a rename never replaces a file. 0 when renames may go ahead.
    FileErrorCode refusal() const { return m_host ? kNoError : m_refusal; }

    // Renames `oldName` to `newName` within the folder, on every volume: atomically where the
    // volume allows it, else by a journalled sequence of steps. Never replaces an existing
    // file; the same name twice is a success that does nothing; a name that differs only in
    // letter case takes its new spelling also on a volume that ignores case.
    RenameResult rename(QStringView oldName, QStringView newName) const;
    // The same, with the names' bytes as the caller has encoded them already; null where a
    // name cannot be encoded.
    RenameResult rename(QStringView oldName, QStringView newName, const QByteArray* encodedOld,
                        const QByteArray* encodedNew) const;

    // Makes every rename made here lasting on the device, so that a stick pulled out right after
    // the action loses none of them.
    FileErrorCode finish() const;

    // Whether the folder holds an entry of that name.
    bool holds(QStringView name) const;

    // Reads which entries are plain files once, for the many renames of a batch or an Undo, so
    // that each rename finds its file still one without a call of its own.
    void readEntries();

    // Whether a look at one entry here costs neither a round trip nor a scan of the folder: a
    // volume of this machine's kernel with indexed or in-memory folders (ext4, XFS, Btrfs, tmpfs).
    bool looksUpCheaply() const { return m_cheapLookups; }
    // Instead of reading the folder, looks at the entries whose bytes `names` are, on another
    // core in the order the renames will come to them, each before its rename asks. The bytes
    // are the caller's, kept while the folder is held.
    void lookAhead(QList<const QByteArray*> names);

private:
    bool isPlainFile(const QByteArray& name) const;
    SysResult settle(bool journalled) const;
    // The folder opened for reading, as syncs need; kept open for the next.
    SysResult readableFolder() const;

    const DriveTable& m_drives;
    std::optional<QByteArray> m_host; // the path it was opened by, for the journal
    int m_fd = -1;
    mutable int m_readableFd = -1; // the folder opened to read, for the syncs once they are asked
    std::optional<EntryId> m_id;
    FileErrorCode m_refusal = kNoError;
    QByteArray m_journal;
    bool m_entriesRead = false;
    QSet<QByteArray> m_notFiles; // the entries readEntries found that are no plain files
    bool m_cheapLookups = false;
    bool m_settlesEachRename = false;
    std::unique_ptr<PlainFileLookAhead> m_ahead;
};

// Deletes the file at a drive path.
FileErrorCode DeleteFile(const DriveTable& drives, QStringView path);

} // namespace corvane
