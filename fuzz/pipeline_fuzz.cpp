// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: BuildNewName under random options keeps its promises.
// The first bytes choose the options; the rest, as UTF-16, holds the name and the three texts,
// separated by U+0001.

#include "names/BuildNewName.h"
#include "names/NameLimits.h"

#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace corvane;

namespace {

// Short enough that no rule can stretch the name past the limit: dash spacing at most
// triples it and each replacement adds at most the replacement's length.
constexpr qsizetype kMaxName = 300;
constexpr qsizetype kMaxReplacement = 20;

void Require(bool promise) {
    if (!promise)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    RenameOptions options;
    int* checks[] = {&options.Check1, &options.Check2, &options.Check3,
                     &options.Check4, &options.Check5, &options.Check6};
    for (int i = 0; i < 6; ++i)
        *checks[i] = (data[i / 2] >> (4 * (i % 2))) % 3;
    bool* cases[] = {&options.Option1, &options.Option2, &options.Option3, &options.Option4};
    options.Option4 = false;
    *cases[data[3] % 4] = true;

    const QString text(reinterpret_cast<const QChar*>(data + 4), qsizetype((size - 4) / 2));
    const QStringList parts = text.split(QChar(1));
    const QString name = parts.value(0);
    options.Text2 = parts.value(1);
    options.Text3 = parts.value(2);
    options.Text4 = parts.value(3);
    const bool fits = name.size() <= kMaxName && options.Text4.size() <= kMaxReplacement;

    try {
        const QString built = BuildNewName(name, options);
        Require(!built.startsWith(u' ') && !built.endsWith(u' '));
        Require(built == BuildNewName(name, options));
    } catch (const NameOverflow&) {
        Require(!fits);
    }
    return 0;
}
