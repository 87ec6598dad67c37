// SPDX-License-Identifier: GPL-3.0-or-later
#include "PipelineOracle.h"

#include <QChar>
#include <string>

namespace {

using Text = std::u32string;

Text ToText(const QString& name) {
    Text text;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar unit = name.at(i);
        if (unit.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate())
            text += QChar::surrogateToUcs4(unit, name.at(++i));
        else
            text += unit.unicode();
    }
    return text;
}

QString FromText(const Text& text) {
    QString name;
    for (const char32_t c : text) {
        if (QChar::requiresSurrogates(c))
            name += QChar(QChar::highSurrogate(c)) + QChar(QChar::lowSurrogate(c));
        else
            name += QChar(char16_t(c));
    }
    return name;
}

// The character at 1-based position p.
char32_t& At(Text& text, qsizetype p) {
    return text[size_t(p - 1)];
}

char32_t Upper(char32_t c) {
    return QChar::toUpper(c);
}

char32_t Lower(char32_t c) {
    return QChar::toLower(c);
}

Text Trim(Text text) {
    while (!text.empty() && text.front() == U' ')
        text.erase(0, 1);
    while (!text.empty() && text.back() == U' ')
        text.pop_back();
    return text;
}

void UpperCaseAfterDash(Text& name) {
    const size_t found = name.find(U'-');
    if (found == Text::npos)
        return;
    const qsizetype p = qsizetype(found) + 1;
    const qsizetype length = qsizetype(name.size());
    for (qsizetype i = 1; i <= length; ++i) {
        const bool raised = i == 1 || i == p + 2;
        At(name, i) = raised ? Upper(At(name, i)) : Lower(At(name, i));
    }
}

void SpacesAroundDashes(Text& name) {
    for (qsizetype p = 2; p <= qsizetype(name.size()); ++p) {
        if (At(name, p) == U'-' && At(name, p - 1) != U' ')
            name.insert(size_t(p - 1), 1, U' ');
        if (At(name, p) == U'-' && (p == qsizetype(name.size()) || At(name, p + 1) != U' '))
            name.insert(size_t(p), 1, U' ');
    }
}

void MakeProperCase(Text& name) {
    for (qsizetype p = 1; p < qsizetype(name.size()); ++p) {
        if (At(name, p) == U' ')
            At(name, p + 1) = Upper(At(name, p + 1));
    }
}

void RemoveCharacters(Text& name, const Text& listed) {
    for (const char32_t c : Trim(listed)) {
        for (qsizetype p = 1; p <= qsizetype(name.size());) {
            if (At(name, p) == c)
                name.erase(size_t(p - 1), 1);
            else
                ++p;
        }
    }
}

void ReplaceText(Text& name, const Text& search, const Text& replacement) {
    const qsizetype n = qsizetype(search.size());
    for (qsizetype p = 1; p <= qsizetype(name.size()) - n + 1;) {
        if (name.compare(size_t(p - 1), size_t(n), search) == 0) {
            name.replace(size_t(p - 1), size_t(n), replacement);
            p += qsizetype(replacement.size());
        } else {
            ++p;
        }
    }
}

bool IsDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

bool ReadsAsNumber(const Text& two, const Text& separator) {
    if (two.size() != 2)
        return false;
    const auto companion = [&](char32_t c) {
        return c == U' ' || c == U'+' || c == U'-' || Text(1, c) == separator;
    };
    return (IsDigit(two[0]) && (IsDigit(two[1]) || companion(two[1]))) ||
           (companion(two[0]) && IsDigit(two[1]));
}

void DeleteTrackNumber(Text& name, const Text& separator) {
    if (ReadsAsNumber(name.substr(0, 2), separator))
        name = Trim(name.substr(std::min<size_t>(2, name.size())));
    if (!name.empty() && name.front() == U'-')
        name = Trim(name.substr(1));
}

} // namespace

QString OracleNewName(const QString& oldName, const corvane::RenameOptions& options) {
    Text name = ToText(oldName);
    if (options.Option3)
        UpperCaseAfterDash(name);
    if (options.Check1 != 0) {
        for (char32_t& c : name)
            c = c == U'_' ? U' ' : c;
    }
    if (const size_t comma = name.find(U','); options.Check2 != 0 && comma != Text::npos)
        name[comma] = U'-';
    if (options.Check6 != 0)
        SpacesAroundDashes(name);
    if (options.Option1)
        MakeProperCase(name);
    if (options.Check4 != 0)
        RemoveCharacters(name, ToText(options.Text2));
    if (options.Check5 != 0 && !options.Text3.isEmpty())
        ReplaceText(name, ToText(options.Text3), ToText(options.Text4));
    if (options.Check3 != 0)
        DeleteTrackNumber(name, ToText(options.DecimalSeparator));
    if (!options.Option4 && !name.empty())
        name.front() = Upper(name.front());
    if (options.Option2) {
        for (char32_t& c : name)
            c = Lower(c);
    }
    return FromText(Trim(name));
}
