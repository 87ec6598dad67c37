// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/RenameRepair.h"

#include "platform/NameCodec.h"
#include "platform/RenameRecovery.h"

namespace corvane {

QString RepairUnfinishedRenames(const DriveTable& drives) {
    QString message;
    for (const PendingRename& rename :
         RecoverPendingRenames(drives.system(), drives.journalPath())) {
        const QString aside = rename.aside.isEmpty()
                                  ? QString()
                                  : QStringLiteral(" or \"%1\"").arg(DecodeName(rename.aside));
        message += QStringLiteral("A rename in %1 could not be finished: look for \"%2\" there, "
                                  "also under \"%3\"%4.\n")
                       .arg(DecodeName(rename.folder), DecodeName(rename.from),
                            DecodeName(rename.to), aside);
    }
    return message.trimmed();
}

} // namespace corvane
