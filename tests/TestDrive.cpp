// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestDrive.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <unistd.h>

using namespace corvane;

namespace {

// By bytes: a name that is not UTF-8 is beyond QFile's own paths.
QByteArray ReadAll(const QByteArray& path) {
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return {};
    return file.readAll();
}

} // namespace

TestDrive::TestDrive(const SystemCalls& system, const QByteArray& home, const QByteArray& state)
    : m_state(state.isEmpty() ? QFile::encodeName(m_dir.path()) + "/state" : state),
      m_drives(
          {{u'c', home.isEmpty() ? QFile::encodeName(m_dir.path()) + "/home" : home, u"home"_qs}},
          m_state, system) {
    for (const QByteArray& folder : {host(), m_state})
        ::mkdir(folder.constData(), 0755);
}

// Names that are not UTF-8 are beyond QDir, so the folder is emptied by bytes.
TestDrive::~TestDrive() {
    ::nftw(
        QFile::encodeName(m_dir.path()).constData(),
        [](const char* path, const struct stat*, int, FTW*) { return ::remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

QByteArray TestDrive::host(const QByteArray& relative) const {
    const QByteArray root = m_drives.drives().first().root;
    return relative.isEmpty() ? root : root + '/' + relative;
}

void TestDrive::makeFiles(const QByteArrayList& names, const QByteArray& folder) const {
    ::mkdir(host(folder).constData(), 0755);
    for (const QByteArray& name : names) {
        const QByteArray path = host(folder) + '/' + name;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0)
            continue;
        [[maybe_unused]] const ssize_t written = ::write(fd, name.constData(), name.size());
        ::close(fd);
    }
}

QByteArrayList TestDrive::names(const QByteArray& folder) const {
    QByteArrayList names;
    if (DIR* dir = ::opendir(host(folder).constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (qstrcmp(entry->d_name, ".") != 0 && qstrcmp(entry->d_name, "..") != 0)
                names.append(entry->d_name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool TestDrive::contentsIntact(const QByteArrayList& originals, const QByteArray& folder) const {
    QByteArrayList contents;
    for (const QByteArray& name : names(folder))
        contents.append(this->contents(name, folder));
    QByteArrayList expected = originals;
    std::sort(contents.begin(), contents.end());
    std::sort(expected.begin(), expected.end());
    return contents == expected;
}

QByteArray TestDrive::contents(const QByteArray& name, const QByteArray& folder) const {
    return ReadAll(host(folder) + '/' + name);
}

QByteArray TestDrive::log() const {
    return ReadAll(stateFolder() + "/razveljavi.txt");
}

QByteArray TestDrive::journal() const {
    return ReadAll(m_drives.journalPath());
}

void TestDrive::writeJournal(const QList<PendingRename>& renames, bool tornLast) const {
    QByteArray bytes;
    for (const PendingRename& rename : renames)
        bytes += FormatPendingRename(rename);
    QFile file(QFile::decodeName(m_drives.journalPath()));
    if (file.open(QIODevice::WriteOnly))
        file.write(tornLast ? bytes.chopped(1) : bytes);
}
