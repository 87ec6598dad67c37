// SPDX-License-Identifier: GPL-3.0-or-later
#include "RuleOptions.h"
#include "names/BuildNewName.h"
#include "names/CaseTransforms.h"
#include "names/PipelineSteps.h"
#include "names/SpacingTransforms.h"
#include "names/TextTransforms.h"

#include <QTest>

using namespace corvane;

using Transform = QString (*)(QString);

class NamesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void transform() {
        using Cases = QList<std::pair<QString, QString>>;
        const auto check = [](Transform transform, const Cases& cases) {
            for (const auto& [name, expected] : cases)
                QCOMPARE(transform(name), expected);
        };
        check(SpacesAroundDashes, {{u"a -b.mp3"_qs, u"a - b.mp3"_qs},
                                   {u"a---b.mp3"_qs, u"a - - - b.mp3"_qs},
                                   {u"a-"_qs, u"a - "_qs},
                                   {u"-a"_qs, u"-a"_qs}, // a leading dash stays
                                   {u"--"_qs, u"- - "_qs},
                                   {u"a\u2013b"_qs, u"a\u2013b"_qs}}); // an en dash is no dash
        check([](QString name) { return MakeProperCase(name, CaseLanguage::Common); },
              {{u"the best of me.mp3"_qs, u"the Best Of Me.mp3"_qs},
               {u"hello wORLD.mp3"_qs, u"hello WORLD.mp3"_qs},
               {u"a  b ß"_qs, u"a  B ß"_qs},
               {u"a\tb\u00a0c d"_qs, u"a\tb\u00a0c D"_qs}, // only U+0020 starts a word
               {u"a \U00010428x"_qs, u"a \U00010400x"_qs}});
        check([](QString name) { return UpperCaseAfterDash(name, CaseLanguage::Common); },
              {{u"ARTIST - SONG TITLE.MP3"_qs, u"Artist - Song title.mp3"_qs},
               {u"artist-song.mp3"_qs, u"Artist-sOng.mp3"_qs},
               {u"a - b - c.mp3"_qs, u"A - B - c.mp3"_qs},
               {u"-intro.mp3"_qs, u"-iNtro.mp3"_qs},
               {u"ab-c"_qs, u"Ab-c"_qs},
               {u"ÉTÉ - ÄLT"_qs, u"Été - Ält"_qs},
               {u"SONG TITLE.MP3"_qs, u"SONG TITLE.MP3"_qs},
               {u"\U00010428\U00010400-\U00010400x\U00010428"_qs,
                u"\U00010400\U00010428-\U00010428X\U00010428"_qs}});
        check(CommaToDash, {{u"a,b,c.mp3"_qs, u"a-b,c.mp3"_qs}});
        check([](QString name) { return DeleteTrackNumber(name, u"."); },
              {{u"01 - Song.mp3"_qs, u"Song.mp3"_qs},
               {u"101 Song.mp3"_qs, u"1 Song.mp3"_qs}, // two characters only
               {u"- Intro.mp3"_qs, u"Intro.mp3"_qs},
               {u"12"_qs, QString()},
               {u"1. Intro.mp3"_qs, u"Intro.mp3"_qs},
               {u"--a"_qs, u"-a"_qs},
               {u"1A Song.mp3"_qs, u"1A Song.mp3"_qs}});
        check([](QString name) { return FirstCapital(name, CaseLanguage::Common); },
              {{u"ärger.mp3"_qs, u"Ärger.mp3"_qs}, {u"\U00010428a"_qs, u"\U00010400a"_qs}});
        check([](QString name) { return LowerCase(name, CaseLanguage::Common); },
              {{u"\U00010400A"_qs, u"\U00010428a"_qs}});
        // The list's outer spaces dropped; letter case counts.
        check([](QString name) { return RemoveCharacters(name, u" #a "); },
              {{u"A a#b.mp3"_qs, u"A b.mp3"_qs}});
        check([](QString name) { return RemoveCharacters(name, u"\U0001F600"); },
              {{u"a\U0001F600\U0001F601b"_qs, u"a\U0001F601b"_qs}});
        check([](QString name) { return ReplaceText(name, u"ab"_qs, u"xa"_qs); },
              {{u"abb"_qs, u"xab"_qs}, // what is put in is not searched again
               {u"ababAB"_qs, u"xaxaAB"_qs}});
        check([](QString name) { return ReplaceText(name, QString(), u"z"_qs); },
              {{u"abc"_qs, u"abc"_qs}});
    }

    void readsAsTrackNumber() {
        for (const char* yes : {"07", " 1", "1+", "-1", "+1", ".5"})
            QVERIFY2(ReadsAsTrackNumber(QString::fromLatin1(yes), u"."), yes);
        for (const char* no : {"\t1", "1A", "$1", "  ", "5"})
            QVERIFY2(!ReadsAsTrackNumber(QString::fromLatin1(no), u"."), no);
        QVERIFY(ReadsAsTrackNumber(u"1,", u",")); // the locale's separator
        QVERIFY(!ReadsAsTrackNumber(u"1.", u","));
        QVERIFY(!ReadsAsTrackNumber(u"\u0661\u0662", u".")); // arabic-indic digits
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
};

QTEST_GUILESS_MAIN(NamesTest)
#include "names_test.moc"
