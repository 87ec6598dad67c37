#include "files/NamePreview.h"

#include "names/BuildNewName.h"
#include "names/NameLimits.h"

namespace corvane {

QString PreviewName(const QString& name, const RenameOptions& options) {
    try {
        return BuildNewName(name, options);
    } catch (const NameOverflow&) {
        return QString();
    }
}

} // namespace corvane
