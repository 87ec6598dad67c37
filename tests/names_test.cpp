// SPDX-License-Identifier: GPL-3.0-or-later
#include "RuleOptions.h"
#include "names/BuildNewName.h"
#include "names/CaseTransforms.h"
#include "names/NameLimits.h"
#include "names/PipelineSteps.h"
#include "names/SpacingTransforms.h"
#include "names/TextTransforms.h"

#include <QTest>

using namespace corvane;

using Transform = QString (*)(QString);
Q_DECLARE_METATYPE(Transform)

namespace {

void AddRow(Transform transform, const QString& name, const QString& expected) {
    QTest::addRow("%s > %s", qPrintable(name), qPrintable(expected))
        << transform << name << expected;
}

} // namespace

class NamesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void transform_data() {
        QTest::addColumn<Transform>("transform");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        constexpr auto common = CaseLanguage::Common;
        const Transform underscores = UnderscoresToSpaces;
        AddRow(underscores, u"__a_b__.mp3"_qs, u"  a b  .mp3"_qs);
        const Transform dashes = SpacesAroundDashes;
        AddRow(dashes, u"a -b.mp3"_qs, u"a - b.mp3"_qs);
        AddRow(dashes, u"a---b.mp3"_qs, u"a - - - b.mp3"_qs);
        AddRow(dashes, u"a-"_qs, u"a - "_qs);
        AddRow(dashes, u"-a"_qs, u"-a"_qs); // a leading dash stays
        AddRow(dashes, u"--"_qs, u"- - "_qs);
        AddRow(dashes, u"a\u2013b"_qs, u"a\u2013b"_qs); // an en dash is no dash
        const Transform proper = [](QString name) { return MakeProperCase(name, common); };
        AddRow(proper, u"the best of me.mp3"_qs, u"the Best Of Me.mp3"_qs);
        AddRow(proper, u"hello wORLD.mp3"_qs, u"hello WORLD.mp3"_qs);
        AddRow(proper, u"a  b ß"_qs, u"a  B ß"_qs);
        AddRow(proper, u"a\tb\u00a0c d"_qs, u"a\tb\u00a0c D"_qs); // only U+0020 starts a word
        AddRow(proper, u"a \U00010428x"_qs, u"a \U00010400x"_qs);
        const Transform afterDash = [](QString name) { return UpperCaseAfterDash(name, common); };
        AddRow(afterDash, u"ARTIST - SONG TITLE.MP3"_qs, u"Artist - Song title.mp3"_qs);
        AddRow(afterDash, u"artist-song.mp3"_qs, u"Artist-sOng.mp3"_qs);
        AddRow(afterDash, u"a - b - c.mp3"_qs, u"A - B - c.mp3"_qs);
        AddRow(afterDash, u"-intro.mp3"_qs, u"-iNtro.mp3"_qs);
        AddRow(afterDash, u"ab-c"_qs, u"Ab-c"_qs);
        AddRow(afterDash, u"ÉTÉ - ÄLT"_qs, u"Été - Ält"_qs);
        AddRow(afterDash, u"SONG TITLE.MP3"_qs, u"SONG TITLE.MP3"_qs);
        AddRow(afterDash, u"\U00010428\U00010400-\U00010400x\U00010428"_qs,
               u"\U00010400\U00010428-\U00010428X\U00010428"_qs);
        AddRow(CommaToDash, u"a,b,c.mp3"_qs, u"a-b,c.mp3"_qs);
        const Transform track = [](QString name) { return DeleteTrackNumber(name, u"."); };
        AddRow(track, u"01 - Song.mp3"_qs, u"Song.mp3"_qs);
        AddRow(track, u"101 Song.mp3"_qs, u"1 Song.mp3"_qs); // two characters only
        AddRow(track, u"- Intro.mp3"_qs, u"Intro.mp3"_qs);
        AddRow(track, u"12"_qs, QString());
        AddRow(track, u"1. Intro.mp3"_qs, u"Intro.mp3"_qs);
        AddRow(track, u"--a"_qs, u"-a"_qs);
        AddRow(track, u"1A Song.mp3"_qs, u"1A Song.mp3"_qs);
        const Transform first = [](QString name) { return FirstCapital(name, common); };
        AddRow(first, u"ärger.mp3"_qs, u"Ärger.mp3"_qs);
        AddRow(first, u"\U00010428a"_qs, u"\U00010400a"_qs);
        const Transform lower = [](QString name) { return LowerCase(name, common); };
        AddRow(lower, u"Hello World.MP3"_qs, u"hello world.mp3"_qs);
        AddRow(lower, u"\U00010400A"_qs, u"\U00010428a"_qs);
        // The list's outer spaces dropped; letter case counts.
        const Transform remove = [](QString name) { return RemoveCharacters(name, u" #a "); };
        AddRow(remove, u"A a#b.mp3"_qs, u"A b.mp3"_qs);
        const Transform emoji = [](QString name) { return RemoveCharacters(name, u"\U0001F600"); };
        AddRow(emoji, u"a\U0001F600\U0001F601b"_qs, u"a\U0001F601b"_qs);
        const Transform replace = [](QString name) {
            return ReplaceText(name, u"ab"_qs, u"xa"_qs);
        };
        AddRow(replace, u"abb"_qs, u"xab"_qs); // what is put in is not searched again
        AddRow(replace, u"ababAB"_qs, u"xaxaAB"_qs);
        const Transform none = [](QString name) { return ReplaceText(name, QString(), u"z"_qs); };
        AddRow(none, u"abc"_qs, u"abc"_qs);
    }

    void transform() {
        QFETCH(Transform, transform);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(transform(name), expected);
    }

    void readsAsTrackNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("decimalSeparator");
        QTest::addColumn<bool>("expected");
        for (const char* yes : {"07", " 1", "1+", "-1", "+1", ".5"})
            QTest::newRow(yes) << QString::fromLatin1(yes) << u"."_qs << true;
        for (const char* no : {"\t1", "1A", "$1", "  ", "5"})
            QTest::newRow(no) << QString::fromLatin1(no) << u"."_qs << false;
        QTest::newRow("the locale's separator") << u"1,"_qs << u","_qs << true;
        QTest::newRow("not the locale's separator") << u"1."_qs << u","_qs << false;
        QTest::newRow("arabic-indic digits") << u"\u0661\u0662"_qs << u"."_qs << false;
    }

    void readsAsTrackNumber() {
        QFETCH(QString, text);
        QFETCH(QString, decimalSeparator);
        QFETCH(bool, expected);
        QCOMPARE(ReadsAsTrackNumber(text, decimalSeparator), expected);
    }

    void pipeline_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* locale, const char* rules, const QString& name,
                            const QString& expected) {
            QTest::addRow("%s: %s: %s", locale, rules, qPrintable(name))
                << QString::fromLatin1(locale) << QString::fromLatin1(rules) << name << expected;
        };
        row("C", "Check3 Option1", u"01_-_artist_name_-_song_title.mp3"_qs,
            u"Artist Name - Song Title.mp3"_qs);
        row("C", "", u"Artist_-_Song,Live.mp3"_qs, u"Artist - Song - Live.mp3"_qs);
        row("C", "alone", u"  a_b,c-d  "_qs, u"a_b,c-d"_qs); // only trimmed
        row("C", "alone", u"\t a\u00a0 "_qs, u"\t a\u00a0"_qs);
        row("C", "alone Option2", u"Hello World.MP3"_qs, u"hello world.mp3"_qs);
        row("C", "alone Option3", u"sONG tITLE.mp3"_qs, u"SONG tITLE.mp3"_qs);
        row("C", "alone Check1=2", u"a_b"_qs, u"a b"_qs); // greyed counts as ticked
        row("C", "alone Check1 Option1", u"the_best_of wORLD.mp3"_qs, u"The Best Of WORLD.mp3"_qs);
        row("C", "alone Check6 Option3", u"artist-song.mp3"_qs, u"Artist - sOng.mp3"_qs);
        row("C", "alone Check1 Option3", u"artist_-_song.mp3"_qs, u"Artist - Song.mp3"_qs);
        row("C", "alone Check4 Check5 Text3=ab Text4=X", u"a#b.mp3"_qs, u"X.mp3"_qs);
        row("C", "alone Check5 Text3=feat.", u"x feat. y feat..mp3"_qs, u"x  y .mp3"_qs);
        row("C", "alone Check3", u"-1 Intro.mp3"_qs, u"Intro.mp3"_qs);
        row("C", "alone Check3 Check5 Text3=xx", u"xx07 Song.mp3"_qs, u"Song.mp3"_qs);
        row("C", "alone Check3 Option1", u"12"_qs, QString());
        // Letter case follows the session's locale.
        row("tr_TR.UTF-8", "Option1", u"istanbul_ilk.mp3"_qs, u"İstanbul İlk.mp3"_qs);
        row("tr_TR.UTF-8", "Option2", u"İZMİR_IŞIK.MP3"_qs, u"izmir ışık.mp3"_qs);
        row("tr_TR.UTF-8", "Option3", u"ilk-ışık"_qs, u"İlk - ıŞık"_qs);
        row("az_AZ", "Option0", u"ilk"_qs, u"İlk"_qs);
        row("el_GR.UTF-8", "Option2", u"ΟΔΟΣ_ΟΝΕΙΡΩΝ.MP3"_qs, u"οδος ονειρων.mp3"_qs);
        row("el_GR.UTF-8", "Option2", u"ΣΟΣΑ Σ"_qs, u"σοσα σ"_qs);
        row("de_DE.UTF-8", "Option1", u"istanbul ilk"_qs, u"Istanbul Ilk"_qs);
        row("de_DE.UTF-8", "Option0", u"ßach"_qs, u"ßach"_qs);
        row("de_DE.UTF-8", "Option2", u"STRAẞE"_qs, u"straße"_qs);
        row("de_DE.UTF-8", "Option2", u"İZMİR"_qs, u"İzmİr"_qs); // a lower İ would grow
    }

    void pipeline() {
        QFETCH(QString, locale);
        QFETCH(QString, rules);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const QByteArray before = qgetenv("LC_ALL");
        qputenv("LC_ALL", locale.toLatin1());
        const RenameOptions options = Rules(rules);
        qputenv("LC_ALL", before);
        QCOMPARE(BuildNewName(name, options), expected);
    }

    void overflowThrowsInsteadOfWrapping() {
        const QString longest(kMaxNameLength, u'a');
        QCOMPARE(BuildNewName(longest, Rules(u"Check3 Check4 Option1"_qs)).size(), kMaxNameLength);
        QVERIFY_THROWS_EXCEPTION(NameOverflow, BuildNewName(longest + u'a', RenameOptions()));
        QVERIFY_THROWS_EXCEPTION(NameOverflow, SpacesAroundDashes(QString(20000, u'-')));
        const QString many(40000, u'x');
        QVERIFY_THROWS_EXCEPTION(NameOverflow,
                                 BuildNewName(u"a"_qs, Rules(u"Check5 Text3="_qs + many)));
        QVERIFY_THROWS_EXCEPTION(NameOverflow,
                                 BuildNewName(u"a"_qs, Rules(u"Check4 Text2="_qs + many)));
        const RenameOptions growing = Rules(u"Check5 Text3=a Text4="_qs + QString(100, u'b'));
        QVERIFY_THROWS_EXCEPTION(NameOverflow, BuildNewName(QString(400, u'a'), growing));
    }
};

QTEST_GUILESS_MAIN(NamesTest)
#include "names_test.moc"
