// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuseVolume.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <arpa/inet.h>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

bool IsFuseMount(const QString& folder) {
    struct statfs info {};
    return ::statfs(QFile::encodeName(folder).constData(), &info) == 0 && info.f_type == 0x65735546;
}

// A port on 127.0.0.1 that no one listens on now.
int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    ::close(fd);
    return bound ? ntohs(address.sin_port) : 0;
}

// Waits up to ten seconds for a mount that shows a little after its tool returns.
void AwaitUpTo10s(const std::function<bool()>& shown) {
    for (int tries = 0; tries < 100 && !shown(); ++tries)
        ::usleep(100000);
}

} // namespace

FuseVolume::FuseVolume(Kind kind) : m_kind(kind), m_mountPoint(path("volume")) {
    QDir().mkpath(m_mountPoint);
    if (kind == Kind::LocalDisk)
        return;
    if (::geteuid() != 0 || !QFile::exists(u"/dev/fuse"_qs))
        m_unavailable = u"mounting through FUSE needs root and /dev/fuse"_qs;
    else
        mount(kind);
    if (m_unavailable.isEmpty() && !IsFuseMount(m_mountPoint))
        m_unavailable = u"the volume did not mount"_qs;
    m_mounted = m_unavailable.isEmpty();
}

FuseVolume::~FuseVolume() {
    if (m_mounted)
        run(u"umount"_qs, {m_mountPoint});
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(5000))
            m_server.kill();
        m_server.waitForFinished();
    }
    if (!m_loopDevice.isEmpty())
        run(u"losetup"_qs, {u"-d"_qs, m_loopDevice});
}

QByteArray FuseVolume::folder() const {
    // smbnetfs shows the whole network: machine, then share.
    return QFile::encodeName(m_kind == Kind::Samba ? m_mountPoint + u"/127.0.0.1/music"_qs
                                                   : m_mountPoint);
}

QByteArray FuseVolume::serverFolder() const {
    const bool served = m_kind == Kind::Sshfs || m_kind == Kind::Samba || m_kind == Kind::Rclone;
    return served ? QFile::encodeName(path("served")) : folder();
}

bool FuseVolume::run(const QString& program, const QStringList& arguments,
                     const QProcessEnvironment& environment) {
    const QStringList sbin{u"/usr/sbin"_qs, u"/sbin"_qs};
    if (QStandardPaths::findExecutable(program).isEmpty() &&
        QStandardPaths::findExecutable(program, sbin).isEmpty()) {
        m_unavailable = program + u" is not installed"_qs;
        return false;
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        m_unavailable = program + u" failed: "_qs +
                        QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return false;
    }
    m_lastOutput = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    return true;
}

void FuseVolume::mount(Kind kind) {
    if (kind == Kind::Sshfs || kind == Kind::Samba || kind == Kind::Rclone) {
        QDir().mkpath(path("served"));
        startServer(kind);
    } else {
        QFile image(path("volume.img"));
        if (!image.open(QIODevice::WriteOnly) || !image.resize(64 << 20))
            m_unavailable = u"no room for an image"_qs;
        else if (kind == Kind::Fat)
            run(u"mkfs.vfat"_qs, {u"-F"_qs, u"32"_qs, image.fileName()});
        // exfat-fuse mounts block devices only.
        else if (kind == Kind::ExFat && run(u"mkfs.exfat"_qs, {image.fileName()}) &&
                 run(u"losetup"_qs, {u"-f"_qs, u"--show"_qs, image.fileName()}))
            m_loopDevice = m_lastOutput;
        else if (kind == Kind::Ntfs || kind == Kind::NtfsIgnoringCase)
            run(u"mkntfs"_qs, {u"-F"_qs, u"-f"_qs, u"-q"_qs, image.fileName()});
    }
    if (m_unavailable.isEmpty())
        attach(kind);
}

void FuseVolume::attach(Kind kind) {
    const QString image = path("volume.img");
    if (kind == Kind::Fat) {
        run(u"fusefat"_qs, {u"-o"_qs, u"rw+"_qs, image, m_mountPoint});
    } else if (kind == Kind::ExFat) {
        run(u"mount.exfat-fuse"_qs, {m_loopDevice, m_mountPoint});
    } else if (kind == Kind::Ntfs) {
        run(u"ntfs-3g"_qs, {image, m_mountPoint});
    } else if (kind == Kind::NtfsIgnoringCase) {
        run(u"lowntfs-3g"_qs, {u"-o"_qs, u"ignore_case"_qs, image, m_mountPoint});
    } else if (kind == Kind::Sshfs) {
        const QString options =
            u"IdentityFile=%1,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null"_qs;
        run(u"sshfs"_qs,
            {u"-p"_qs, QString::number(m_port), u"-o"_qs, options.arg(path("user-key")),
             u"root@127.0.0.1:"_qs + path("served"), m_mountPoint});
    } else if (kind == Kind::Samba) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"HOME"_qs, path("client"));
        run(u"smbnetfs"_qs, {m_mountPoint}, environment);
        // The share shows once smbnetfs has asked the server.
        AwaitUpTo10s([&] { return QFile::exists(QFile::decodeName(folder())); });
    } else if (kind == Kind::Rclone) {
        m_server.start(u"rclone"_qs, {u"mount"_qs, path("served"), m_mountPoint,
                                      u"--vfs-cache-mode"_qs, u"writes"_qs});
        AwaitUpTo10s([&] { return IsFuseMount(m_mountPoint); });
    }
}

bool FuseVolume::replug() {
    if (!m_mounted || !run(u"umount"_qs, {m_mountPoint}))
        return false;
    attach(m_kind);
    return m_unavailable.isEmpty();
}

void FuseVolume::startServer(Kind kind) {
    const auto write = [&](const char* name, const QString& text) {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
            m_unavailable = u"no room for the server's files"_qs;
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    };
    if (kind == Kind::Sshfs) {
        m_port = FreePort();
        for (const char* key : {"host-key", "user-key"})
            run(u"ssh-keygen"_qs,
                {u"-q"_qs, u"-t"_qs, u"ed25519"_qs, u"-N"_qs, QString(), u"-f"_qs, path(key)});
        if (!m_unavailable.isEmpty())
            return;
        QDir().mkpath(u"/run/sshd"_qs);
        write("sshd_config", u"ListenAddress 127.0.0.1\nPort %1\nHostKey %2\n"
                             "AuthorizedKeysFile %3.pub\nPasswordAuthentication no\n"
                             "PermitRootLogin prohibit-password\nStrictModes no\n"
                             "Subsystem sftp internal-sftp\nPidFile none\n"_qs.arg(m_port)
                                 .arg(path("host-key"), path("user-key")));
        m_server.start(u"/usr/sbin/sshd"_qs, {u"-D"_qs, u"-e"_qs, u"-f"_qs, path("sshd_config")});
    } else if (kind == Kind::Samba) {
        QDir().mkpath(path("client/.smb"));
        QDir().mkpath(path("samba"));
        // The client finds the server on port 445 only; a share with no password.
        write("client/.smb/smb.conf", u"[global]\nclient min protocol = SMB2\n"_qs);
        write("client/.smb/smbnetfs.conf", u"include /etc/smbnetfs.conf\nauth \"guest\" \"\"\n"_qs);
        write("smb.conf", u"[global]\ninterfaces = 127.0.0.1\nbind interfaces only = yes\n"
                          "smb ports = 445\nmap to guest = Bad User\nguest account = root\n"
                          "server role = standalone server\npid directory = %1\n"
                          "lock directory = %1\nstate directory = %1\ncache directory = %1\n"
                          "private dir = %1\nlog file = %1/log\n"
                          "[music]\npath = %2\nread only = no\nguest ok = yes\n"
                          "force user = root\n"_qs.arg(path("samba"), path("served")));
        // smbd ends its whole process group when told to stop: in its own group, not the test's.
        m_server.start(u"smbd"_qs, {u"--foreground"_qs, u"-s"_qs, path("smb.conf")});
    } else {
        return; // rclone's client is its own server, started as it mounts
    }
    if (!m_server.waitForStarted())
        m_unavailable = u"the server did not start: "_qs + m_server.errorString();
    // A server that stopped at once, the port taken perhaps, says why on its error output.
    else if (m_server.waitForFinished(1000))
        m_unavailable = u"the server stopped: "_qs +
                        QString::fromLocal8Bit(m_server.readAllStandardError()).trimmed();
}
