// SPDX-License-Identifier: GPL-3.0-or-later
// Times BuildNewName with every rule on over realistic MP3 names and prints names per second.
// Usage: pipeline_bench [name count]   (default 1,000,000)

#include "names/BuildNewName.h"

#include <QRandomGenerator>
#include <QStringList>
#include <QTextStream>
#include <chrono>

using namespace corvane;

namespace {

QStringList RealisticNames(qsizetype count) {
    const QStringList artists{u"the_beatles"_qs, u"PINK FLOYD"_qs, u"Simon,Garfunkel"_qs,
                              u"daft-punk"_qs,   u"Björk"_qs,      u"Los Lobos & Friends"_qs};
    const QStringList titles{
        u"let_it_be"_qs,     u"Comfortably Numb (live)"_qs, u"the sound of silence"_qs,
        u"ONE MORE TIME"_qs, u"Jóga_feat._someone"_qs,      u"la bamba #2"_qs};
    const QStringList separators{u"_-_"_qs, u" - "_qs, u"-"_qs, u","_qs};
    QRandomGenerator random(7);
    QStringList names;
    names.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const QString track = QString::number(random.bounded(1, 40)).rightJustified(2, u'0');
        names.append(track + separators.at(random.bounded(separators.size())) +
                     artists.at(random.bounded(artists.size())) + separators.at(0) +
                     titles.at(random.bounded(titles.size())) + u".mp3"_qs);
    }
    return names;
}

RenameOptions EveryRuleOn(bool properCase) {
    RenameOptions options;
    options.Check1 = options.Check2 = options.Check3 = Checked;
    options.Check4 = options.Check5 = options.Check6 = Checked;
    options.Option4 = false;
    (properCase ? options.Option1 : options.Option3) = true;
    options.Text3 = u"feat."_qs;
    options.Text4 = u"ft."_qs;
    return options;
}

void Measure(QTextStream& out, const QString& label, const QStringList& names,
             const RenameOptions& options) {
    qsizetype characters = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const QString& name : names)
        characters += BuildNewName(name, options).size();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    out << label << ": " << names.size() << " names in " << elapsed.count() << " s, "
        << qRound64(double(names.size()) / elapsed.count()) << " names/s (" << characters
        << " characters out)\n";
}

} // namespace

int main(int argc, char* argv[]) {
    const qsizetype count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toLongLong() : 1000000;
    const QStringList names = RealisticNames(count);
    QTextStream out(stdout);
    out << "sample: " << names.first() << " -> " << BuildNewName(names.first(), EveryRuleOn(true))
        << "\n";
    Measure(out, u"every rule, ProperCase"_qs, names, EveryRuleOn(true));
    Measure(out, u"every rule, UpperCase after dash"_qs, names, EveryRuleOn(false));
    return 0;
}
