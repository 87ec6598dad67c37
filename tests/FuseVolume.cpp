// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuseVolume.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <arpa/inet.h>
#include <functional>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsMounted(const QString& folder) {
    struct stat mounted {};
    struct stat parent {};
    return ::stat(QFile::encodeName(folder).constData(), &mounted) == 0 &&
           ::stat(QFile::encodeName(folder + u"/.."_qs).constData(), &parent) == 0 &&
           mounted.st_dev != parent.st_dev;
}

bool IsServed(FuseVolume::Kind kind) {
    using Kind = FuseVolume::Kind;
    return kind == Kind::Sshfs || kind == Kind::Samba || kind == Kind::Rclone ||
           kind == Kind::KernelCifs;
}

bool KernelHas(const QString& driver) {
    QFile filesystems(u"/proc/filesystems"_qs);
    return filesystems.open(QIODevice::ReadOnly) &&
           filesystems.readAll().contains(QFile::encodeName(u"\t"_qs + driver + u"\n"_qs));
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

bool Answers(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool answered = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answered;
}

// Waits up to ten seconds for a mount that shows a little after its tool returns.
void AwaitUpTo10s(const std::function<bool()>& shown) {
    for (int tries = 0; tries < 100 && !shown(); ++tries)
        ::usleep(100000);
}

} // namespace

std::optional<std::pair<QString, QString>> FuseVolume::KernelDriver(Kind kind) {
    if (kind == Kind::KernelVfat)
        return std::pair(u"vfat"_qs, u"shortname=mixed,utf8=1,flush"_qs);
    if (kind == Kind::KernelExfat)
        return std::pair(u"exfat"_qs, u"iocharset=utf8"_qs);
    if (kind == Kind::KernelCifs)
        return std::pair(u"cifs"_qs, u"guest,vers=3.1.1"_qs);
    return std::nullopt;
}

FuseVolume::FuseVolume(Kind kind) : m_kind(kind), m_mountPoint(path("volume")) {
    QDir().mkpath(m_mountPoint);
    if (kind == Kind::LocalDisk)
        return;
    const auto driver = KernelDriver(kind);
    if (::geteuid() != 0)
        m_unavailable = u"mounting needs root"_qs;
    else if (driver && !KernelHas(driver->first))
        m_unavailable = u"this kernel has no %1 driver; scripts/guest-run.sh runs this row on "
                        "Debian's kernel"_qs.arg(driver->first);
    else if (!driver && !QFile::exists(u"/dev/fuse"_qs))
        m_unavailable = u"mounting through FUSE needs /dev/fuse"_qs;
    else
        mount(kind);
    if (m_unavailable.isEmpty() && !IsMounted(m_mountPoint))
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
    return IsServed(m_kind) ? QFile::encodeName(path("served")) : folder();
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
    if (IsServed(kind)) {
        QDir().mkpath(path("served"));
        startServer(kind);
    } else {
        QFile image(path("volume.img"));
        const bool fat = kind == Kind::Fat || kind == Kind::KernelVfat;
        const bool exFat = kind == Kind::ExFat || kind == Kind::KernelExfat;
        // exfat-fuse and the kernel mount block devices only.
        const bool onLoop = exFat || kind == Kind::KernelVfat;
        if (!image.open(QIODevice::WriteOnly) || !image.resize(64 << 20))
            m_unavailable = u"no room for an image"_qs;
        else if (((fat && run(u"mkfs.vfat"_qs, {u"-F"_qs, u"32"_qs, image.fileName()})) ||
                  (exFat && run(u"mkfs.exfat"_qs, {image.fileName()}))) &&
                 onLoop && attachLoop(kind, image.fileName()))
            m_loopDevice = m_lastOutput;
        else if (kind == Kind::Ntfs || kind == Kind::NtfsIgnoringCase)
            run(u"mkntfs"_qs, {u"-F"_qs, u"-f"_qs, u"-q"_qs, image.fileName()});
    }
    if (m_unavailable.isEmpty())
        attach(kind);
}

bool FuseVolume::attachLoop(Kind kind, const QString& image) {
    const QStringList arguments{u"-f"_qs, u"--show"_qs, image};
    // A stick of the kernel's drivers is written through to its image, as to a device, where the
    // image's own volume allows it (tmpfs does not): a sync then costs what it costs on a device.
    if (KernelDriver(kind) && run(u"losetup"_qs, QStringList{u"--direct-io=on"_qs} + arguments))
        return true;
    m_unavailable.clear();
    return run(u"losetup"_qs, arguments);
}

void FuseVolume::attach(Kind kind) {
    const QString image = path("volume.img");
    if (const auto driver = KernelDriver(kind)) {
        // A server under emulation takes a while to listen.
        if (kind == Kind::KernelCifs)
            AwaitUpTo10s([] { return Answers(445); });
        const QString device = kind == Kind::KernelCifs ? u"//127.0.0.1/music"_qs : m_loopDevice;
        run(u"mount"_qs, {u"-t"_qs, driver->first, u"-o"_qs, driver->second, device, m_mountPoint});
    } else if (kind == Kind::Fat) {
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
        // In the server's own network, where port 445 is this test's server and no other.
        run(u"nsenter"_qs,
            {u"--net=/proc/%1/ns/net"_qs.arg(m_server.processId()), u"smbnetfs"_qs, m_mountPoint},
            environment);
        // The share shows once smbnetfs has asked the server.
        AwaitUpTo10s([&] { return QFile::exists(QFile::decodeName(folder())); });
    } else if (kind == Kind::Rclone) {
        m_server.start(u"rclone"_qs, {u"mount"_qs, path("served"), m_mountPoint,
                                      u"--vfs-cache-mode"_qs, u"writes"_qs});
        AwaitUpTo10s([&] { return IsMounted(m_mountPoint); });
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
    } else if (kind == Kind::Samba || kind == Kind::KernelCifs) {
        QDir().mkpath(path("client/.smb"));
        QDir().mkpath(path("samba"));
        // The client finds the server on port 445 only; a share with no password.
        write("client/.smb/smb.conf", u"[global]\nclient min protocol = SMB2\n"_qs);
        write("client/.smb/smbnetfs.conf", u"include /etc/smbnetfs.conf\nauth \"guest\" \"\"\n"_qs);
        write("smb.conf",
              u"[global]\ninterfaces = 127.0.0.1\nbind interfaces only = yes\n"
              "smb ports = 445\nmap to guest = Bad User\nguest account = root\n"
              "server role = standalone server\npid directory = %1\n"
              "lock directory = %1\nstate directory = %1\ncache directory = %1\nncalrpc dir = %1\n"
              "private dir = %1\nlog file = %1/log\n"
              "[music]\npath = %2\nread only = no\nguest ok = yes\n"
              "force user = root\n"_qs.arg(path("samba"), path("served")));
        // smbd ends its whole process group when told to stop: in its own group, not the test's.
        // smbnetfs knows port 445 only, which another server may hold: its smbd listens in a
        // network of its own. The kernel client's guest is a machine of its own.
        const QStringList smbd{u"smbd"_qs, u"--foreground"_qs, u"-s"_qs, path("smb.conf")};
        if (kind == Kind::Samba)
            m_server.start(
                u"unshare"_qs,
                QStringList{u"--net"_qs, u"sh"_qs, u"-c"_qs,
                            u"PATH=$PATH:/usr/sbin:/sbin ip link set lo up && exec \"$@\""_qs,
                            u"sh"_qs} +
                    smbd);
        else
            m_server.start(smbd.first(), smbd.sliced(1));
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
