// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/BuildNewName.h"
#include "names/CaseTransforms.h"
#include "names/NameLimits.h"
#include "names/PipelineSteps.h"
#include "names/SpacingTransforms.h"
#include "names/TextTransforms.h"

#include <QTest>
#include <functional>

using namespace corvane;

Q_DECLARE_METATYPE(corvane::RenameOptions)

namespace {

using Transform = QString (*)(QString);

const QHash<QString, Transform>& Transforms() {
    static const QHash<QString, Transform> transforms{
        {QStringLiteral("UnderscoresToSpaces"), UnderscoresToSpaces},
        {QStringLiteral("SpacesAroundDashes"), SpacesAroundDashes},
        {QStringLiteral("MakeProperCase"),
         [](QString name) { return MakeProperCase(std::move(name), CaseLanguage::Common); }},
        {QStringLiteral("UpperCaseAfterDash"),
         [](QString name) { return UpperCaseAfterDash(std::move(name), CaseLanguage::Common); }},
        {QStringLiteral("CommaToDash"), CommaToDash},
        {QStringLiteral("DeleteTrackNumber"),
         [](QString name) { return DeleteTrackNumber(std::move(name), u"."); }},
        {QStringLiteral("FirstCapital"),
         [](QString name) { return FirstCapital(std::move(name), CaseLanguage::Common); }},
        {QStringLiteral("LowerCase"),
         [](QString name) { return LowerCase(std::move(name), CaseLanguage::Common); }},
    };
    return transforms;
}

// Every rule off and case left alone, changed by `set`.
RenameOptions With(const std::function<void(RenameOptions&)>& set) {
    RenameOptions options;
    options.Check1 = options.Check2 = options.Check6 = Unchecked;
    set(options);
    return options;
}

void ChooseCase(RenameOptions& options, bool* chosen) {
    options.Option1 = options.Option2 = options.Option3 = options.Option4 = false;
    *chosen = true;
}

} // namespace

class NamesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void transform_data() {
        QTest::addColumn<QString>("transform");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* tag, const char* transform, const QString& name,
                            const QString& expected) {
            QTest::newRow(tag) << QString::fromLatin1(transform) << name << expected;
        };

        row("underscores: each one a space", "UnderscoresToSpaces", u"a_b_c.mp3"_qs,
            u"a b c.mp3"_qs);
        row("underscores: runs kept", "UnderscoresToSpaces", u"__a__.mp3"_qs, u"  a  .mp3"_qs);

        row("dashes: space before", "SpacesAroundDashes", u"a -b.mp3"_qs, u"a - b.mp3"_qs);
        row("dashes: run of three", "SpacesAroundDashes", u"a---b.mp3"_qs, u"a - - - b.mp3"_qs);
        row("dashes: ending the name", "SpacesAroundDashes", u"a-"_qs, u"a - "_qs);
        row("dashes: leading dash kept", "SpacesAroundDashes", u"-a"_qs, u"-a"_qs);
        row("dashes: two alone", "SpacesAroundDashes", u"--"_qs, u"- - "_qs);
        row("dashes: en dash is no dash", "SpacesAroundDashes", u"a\u2013b"_qs, u"a\u2013b"_qs);

        row("proper: after spaces", "MakeProperCase", u"the best of me.mp3"_qs,
            u"the Best Of Me.mp3"_qs);
        row("proper: lowers nothing", "MakeProperCase", u"hello wORLD.mp3"_qs,
            u"hello WORLD.mp3"_qs);
        row("proper: two spaces", "MakeProperCase", u"a  b.mp3"_qs, u"a  B.mp3"_qs);
        row("proper: sharp s keeps its length", "MakeProperCase", u"a ß"_qs, u"a ß"_qs);
        row("proper: only U+0020 starts a word", "MakeProperCase", u"a\tb\u00a0c d"_qs,
            u"a\tb\u00a0c D"_qs);
        row("proper: beyond U+FFFF", "MakeProperCase", u"a \U00010428x"_qs, u"a \U00010400x"_qs);

        row("after dash: spaced", "UpperCaseAfterDash", u"ARTIST - SONG TITLE.MP3"_qs,
            u"Artist - Song title.mp3"_qs);
        row("after dash: unspaced", "UpperCaseAfterDash", u"artist-song.mp3"_qs,
            u"Artist-sOng.mp3"_qs);
        row("after dash: first dash only", "UpperCaseAfterDash", u"a - b - c.mp3"_qs,
            u"A - B - c.mp3"_qs);
        row("after dash: leading dash", "UpperCaseAfterDash", u"-intro.mp3"_qs, u"-iNtro.mp3"_qs);
        row("after dash: one after the dash", "UpperCaseAfterDash", u"ab-c"_qs, u"Ab-c"_qs);
        row("after dash: beyond ASCII", "UpperCaseAfterDash", u"ÉTÉ - ÄLT"_qs, u"Été - Ält"_qs);
        row("after dash: no dash, no change", "UpperCaseAfterDash", u"SONG TITLE.MP3"_qs,
            u"SONG TITLE.MP3"_qs);
        row("after dash: beyond U+FFFF", "UpperCaseAfterDash",
            u"\U00010428\U00010400-\U00010400x\U00010428"_qs,
            u"\U00010400\U00010428-\U00010428X\U00010428"_qs);

        row("comma: first only", "CommaToDash", u"a,b,c.mp3"_qs, u"a-b,c.mp3"_qs);

        row("track: number and dash", "DeleteTrackNumber", u"01 - Song.mp3"_qs, u"Song.mp3"_qs);
        row("track: two characters only", "DeleteTrackNumber", u"101 Song.mp3"_qs,
            u"1 Song.mp3"_qs);
        row("track: dash without number", "DeleteTrackNumber", u"- Intro.mp3"_qs, u"Intro.mp3"_qs);
        row("track: whole name a number", "DeleteTrackNumber", u"12"_qs, QString());
        row("track: digit and dot", "DeleteTrackNumber", u"1. Intro.mp3"_qs, u"Intro.mp3"_qs);
        row("track: one dash only", "DeleteTrackNumber", u"--a"_qs, u"-a"_qs);
        row("track: letters stay", "DeleteTrackNumber", u"1A Song.mp3"_qs, u"1A Song.mp3"_qs);

        row("first capital: raised", "FirstCapital", u"ärger.mp3"_qs, u"Ärger.mp3"_qs);
        row("first capital: beyond U+FFFF", "FirstCapital", u"\U00010428a"_qs, u"\U00010400a"_qs);
        row("lower: extension too", "LowerCase", u"Hello World.MP3"_qs, u"hello world.mp3"_qs);
        row("lower: beyond U+FFFF", "LowerCase", u"\U00010400A"_qs, u"\U00010428a"_qs);
    }

    void transform() {
        QFETCH(QString, transform);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QVERIFY(Transforms().contains(transform));
        QCOMPARE(Transforms().value(transform)(name), expected);
    }

    void readsAsTrackNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("decimalSeparator");
        QTest::addColumn<bool>("expected");
        const QString dot = u"."_qs;
        const QString comma = u","_qs;
        QTest::newRow("two digits") << u"07"_qs << dot << true;
        QTest::newRow("space, digit") << u" 1"_qs << dot << true;
        QTest::newRow("digit, plus") << u"1+"_qs << dot << true;
        QTest::newRow("minus, digit") << u"-1"_qs << dot << true;
        QTest::newRow("plus, digit") << u"+1"_qs << dot << true;
        QTest::newRow("tab, digit") << u"\t1"_qs << dot << false;
        QTest::newRow("separator, digit") << u".5"_qs << dot << true;
        QTest::newRow("the locale's separator") << u"1,"_qs << comma << true;
        QTest::newRow("not the locale's separator") << u"1."_qs << comma << false;
        QTest::newRow("digit, letter") << u"1A"_qs << dot << false;
        QTest::newRow("currency") << u"$1"_qs << dot << false;
        QTest::newRow("two spaces") << u"  "_qs << dot << false;
        QTest::newRow("one digit") << u"5"_qs << dot << false;
        QTest::newRow("arabic-indic digits") << u"\u0661\u0662"_qs << dot << false;
    }

    void readsAsTrackNumber() {
        QFETCH(QString, text);
        QFETCH(QString, decimalSeparator);
        QFETCH(bool, expected);
        QCOMPARE(ReadsAsTrackNumber(text, decimalSeparator), expected);
    }

    void removeCharacters_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("characters");
        QTest::addColumn<QString>("expected");
        const QString standard = u"@%&$#~"_qs;
        QTest::newRow("scattered") << u"a&b$c~d.mp3"_qs << standard << u"abcd.mp3"_qs;
        QTest::newRow("nothing listed") << u"a#b"_qs << QString() << u"a#b"_qs;
        QTest::newRow("outer spaces dropped") << u"a #b.mp3"_qs << u" # "_qs << u"a b.mp3"_qs;
        QTest::newRow("inner space listed") << u"a b#c%d.mp3"_qs << u"# %"_qs << u"abcd.mp3"_qs;
        QTest::newRow("case-sensitive") << u"AaA.mp3"_qs << u"a"_qs << u"AA.mp3"_qs;
        QTest::newRow("an emoji leaves its neighbour whole")
            << u"a\U0001F600\U0001F601b"_qs << u"\U0001F600"_qs << u"a\U0001F601b"_qs;
    }

    void removeCharacters() {
        QFETCH(QString, name);
        QFETCH(QString, characters);
        QFETCH(QString, expected);
        QCOMPARE(RemoveCharacters(name, characters), expected);
    }

    void replaceText_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("expected");
        QTest::newRow("left to right, no overlap") << u"aaa"_qs << u"aa"_qs << u"b"_qs << u"ba"_qs;
        QTest::newRow("empty replacement")
            << u"aXbXc.mp3"_qs << u"X"_qs << QString() << u"abc.mp3"_qs;
        QTest::newRow("replacement holds the search")
            << u"1-2-3.mp3"_qs << u"-"_qs << u" - "_qs << u"1 - 2 - 3.mp3"_qs;
        QTest::newRow("inserted text not searched")
            << u"abb"_qs << u"ab"_qs << u"xa"_qs << u"xab"_qs;
        QTest::newRow("growing to the end")
            << u"a a a a a.mp3"_qs << u" "_qs << u"___"_qs << u"a___a___a___a___a.mp3"_qs;
        QTest::newRow("case-sensitive") << u"ABC"_qs << u"b"_qs << u"x"_qs << u"ABC"_qs;
        QTest::newRow("empty search") << u"abc"_qs << QString() << u"z"_qs << u"abc"_qs;
    }

    void replaceText() {
        QFETCH(QString, name);
        QFETCH(QString, search);
        QFETCH(QString, replacement);
        QFETCH(QString, expected);
        QCOMPARE(ReplaceText(name, search, replacement), expected);
    }

    void pipeline_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<RenameOptions>("options");
        QTest::addColumn<QString>("expected");

        RenameOptions worked;
        worked.Check3 = Checked;
        ChooseCase(worked, &worked.Option1);
        QTest::newRow("worked example") << u"01_-_artist_name_-_song_title.mp3"_qs << worked
                                        << u"Artist Name - Song Title.mp3"_qs;
        QTest::newRow("start values")
            << u"Artist_-_Song,Live.mp3"_qs << RenameOptions() << u"Artist - Song - Live.mp3"_qs;
        QTest::newRow("all off: only trimmed")
            << u"  a_b,c-d  "_qs << With([](auto&) {}) << u"a_b,c-d"_qs;
        QTest::newRow("other blanks are no spaces")
            << u"\t a\u00a0 "_qs << With([](auto&) {}) << u"\t a\u00a0"_qs;
        QTest::newRow("lower case, extension too")
            << u"Hello World.MP3"_qs << With([](auto& o) { ChooseCase(o, &o.Option2); })
            << u"hello world.mp3"_qs;
        QTest::newRow("upper case after dash without a dash")
            << u"sONG tITLE.mp3"_qs << With([](auto& o) { ChooseCase(o, &o.Option3); })
            << u"SONG tITLE.mp3"_qs;
        QTest::newRow("greyed counts as on")
            << u"a_b"_qs << With([](auto& o) { o.Check1 = Grayed; }) << u"a b"_qs;
        QTest::newRow("proper case raises, lowers nothing")
            << u"hello wORLD.mp3"_qs << With([](auto& o) { ChooseCase(o, &o.Option1); })
            << u"Hello WORLD.mp3"_qs;
        QTest::newRow("underscores before proper case")
            << u"the_best_of.mp3"_qs << With([](auto& o) {
                   o.Check1 = Checked;
                   ChooseCase(o, &o.Option1);
               })
            << u"The Best Of.mp3"_qs;
        QTest::newRow("capital placed before dashes are spaced")
            << u"artist-song.mp3"_qs << With([](auto& o) {
                   o.Check6 = Checked;
                   ChooseCase(o, &o.Option3);
               })
            << u"Artist - sOng.mp3"_qs;
        QTest::newRow("capital after spaced underscores")
            << u"artist_-_song.mp3"_qs << With([](auto& o) {
                   o.Check1 = Checked;
                   ChooseCase(o, &o.Option3);
               })
            << u"Artist - Song.mp3"_qs;
        QTest::newRow("removal before replacement") << u"a#b.mp3"_qs << With([](auto& o) {
            o.Check4 = o.Check5 = Checked;
            o.Text3 = u"ab"_qs;
            o.Text4 = u"X"_qs;
        }) << u"X.mp3"_qs;
        QTest::newRow("replace removes every feat.")
            << u"x feat. y feat..mp3"_qs << With([](auto& o) {
                   o.Check5 = Checked;
                   o.Text3 = u"feat."_qs;
               })
            << u"x  y .mp3"_qs;
        QTest::newRow("a signed track number")
            << u"-1 Intro.mp3"_qs << With([](auto& o) { o.Check3 = Checked; }) << u"Intro.mp3"_qs;
        QTest::newRow("track number after replacement") << u"xx07 Song.mp3"_qs << With([](auto& o) {
            o.Check3 = o.Check5 = Checked;
            o.Text3 = u"xx"_qs;
        }) << u"Song.mp3"_qs;
        QTest::newRow("a name the rules empty") << u"12"_qs << With([](auto& o) {
            o.Check3 = Checked;
            ChooseCase(o, &o.Option1);
        }) << QString();
    }

    void pipeline() {
        QFETCH(QString, name);
        QFETCH(RenameOptions, options);
        QFETCH(QString, expected);
        QCOMPARE(BuildNewName(name, options), expected);
    }

    void caseFollowsTheLocale_data() {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<QString>("caseRule"); // the case option, or "first" for the first capital
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* label, const char* locale, const char* caseRule,
                            const QString& name, const QString& expected) {
            QTest::newRow(label) << QByteArray(locale) << QString::fromLatin1(caseRule) << name
                                 << expected;
        };
        row("tr: proper case, dotted capitals", "tr_TR.UTF-8", "Option1", u"istanbul_ilk.mp3"_qs,
            u"İstanbul İlk.mp3"_qs);
        row("tr: lower case, dotless and dotted", "tr_TR.UTF-8", "Option2", u"İZMİR_IŞIK.MP3"_qs,
            u"izmir ışık.mp3"_qs);
        row("tr: upper case after dash", "tr_TR.UTF-8", "Option3", u"ilk-ışık"_qs,
            u"İlk - ıŞık"_qs);
        row("az: first capital", "az_AZ", "first", u"ilk"_qs, u"İlk"_qs);
        row("el: final sigma ends each word", "el_GR.UTF-8", "Option2", u"ΟΔΟΣ_ΟΝΕΙΡΩΝ.MP3"_qs,
            u"οδος ονειρων.mp3"_qs);
        row("el: sigma within a word or alone", "el_GR.UTF-8", "Option2", u"ΣΟΣΑ Σ"_qs,
            u"σοσα σ"_qs);
        row("de: dotted i is no Turkish i", "de_DE.UTF-8", "Option1", u"istanbul ilk"_qs,
            u"Istanbul Ilk"_qs);
        row("de: sharp s keeps its length", "de_DE.UTF-8", "first", u"ßach"_qs, u"ßach"_qs);
        row("de: capital sharp s lowers", "de_DE.UTF-8", "Option2", u"STRAẞE"_qs, u"straße"_qs);
        row("de: dotted capital would grow", "de_DE.UTF-8", "Option2", u"İZMİR"_qs, u"İzmİr"_qs);
    }

    void caseFollowsTheLocale() {
        QFETCH(QByteArray, locale);
        QFETCH(QString, caseRule);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const QByteArray before = qgetenv("LC_ALL");
        qputenv("LC_ALL", locale);
        const RenameOptions options = With([&](RenameOptions& set) {
            set.Check1 = set.Check6 = Checked;
            set.Option4 = false;
            if (caseRule != u"first")
                *(caseRule == u"Option1"   ? &set.Option1
                  : caseRule == u"Option2" ? &set.Option2
                                           : &set.Option3) = true;
        });
        qputenv("LC_ALL", before);
        QCOMPARE(BuildNewName(name, options), expected);
    }

    void overflowThrowsInsteadOfWrapping() {
        const QString longest(kMaxNameLength, u'a');
        RenameOptions everything;
        everything.Check3 = everything.Check4 = Checked;
        ChooseCase(everything, &everything.Option1);
        QCOMPARE(BuildNewName(longest, everything).size(), kMaxNameLength);

        QVERIFY_THROWS_EXCEPTION(NameOverflow, BuildNewName(longest + u'a', RenameOptions()));
        QVERIFY_THROWS_EXCEPTION(NameOverflow, SpacesAroundDashes(QString(20000, u'-')));

        RenameOptions longSearch;
        longSearch.Check5 = Checked;
        longSearch.Text3 = QString(40000, u'x');
        QVERIFY_THROWS_EXCEPTION(NameOverflow, BuildNewName(u"song.mp3"_qs, longSearch));

        RenameOptions longList;
        longList.Check4 = Checked;
        longList.Text2 = QString(40000, u'x');
        QVERIFY_THROWS_EXCEPTION(NameOverflow, BuildNewName(u"song.mp3"_qs, longList));

        RenameOptions growing;
        growing.Check5 = Checked;
        growing.Text3 = u"a"_qs;
        growing.Text4 = QString(100, u'b');
        QVERIFY_THROWS_EXCEPTION(NameOverflow, BuildNewName(QString(400, u'a'), growing));
    }
};

QTEST_GUILESS_MAIN(NamesTest)
#include "names_test.moc"
