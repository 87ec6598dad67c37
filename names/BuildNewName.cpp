// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/BuildNewName.h"

#include "names/CaseTransforms.h"
#include "names/NameLimits.h"
#include "names/PipelineSteps.h"
#include "names/SpacingTransforms.h"
#include "names/TextTransforms.h"

#include <utility>

namespace corvane {

QString BuildNewName(QString name, const RenameOptions& options) {
    EnsureFits(name);
    if (options.Option3)
        name = UpperCaseAfterDash(std::move(name), options.language);
    if (options.Check1 != Unchecked)
        name = UnderscoresToSpaces(std::move(name));
    if (options.Check2 != Unchecked)
        name = CommaToDash(std::move(name));
    if (options.Check6 != Unchecked)
        name = SpacesAroundDashes(std::move(name));
    if (options.Option1)
        name = MakeProperCase(std::move(name), options.language);
    if (options.Check4 != Unchecked)
        name = RemoveCharacters(std::move(name), options.Text2);
    if (options.Check5 != Unchecked && !options.Text3.isEmpty())
        name = ReplaceText(std::move(name), options.Text3, options.Text4);
    if (options.Check3 != Unchecked)
        name = DeleteTrackNumber(std::move(name), options.DecimalSeparator);
    if (!options.Option4)
        name = FirstCapital(std::move(name), options.language);
    if (options.Option2)
        name = LowerCase(std::move(name), options.language);
    return TrimSpaces(std::move(name));
}

} // namespace corvane
