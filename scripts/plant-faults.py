#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Plants plausible faults in the product code one at a time and tells which test catches each.

Usage: scripts/plant-faults.py [build folder [text]]   (default: build; with a text, only the
faults whose label holds it), from a clean checkout with a configured build. Each fault is a text
replaced in one file; the file is restored after its run. The tests run fastest first and stop at
the first that fails; "missed" is a fault the whole suite let through. A fault whose text is gone
from the code says so, and is to be brought up to date.
"""
import os
import subprocess
import sys

# (what the fault is, file, text, replacement)
FAULTS = [
    ("names: comma rule takes the last comma", "names/PipelineSteps.cpp", "name.indexOf(u',')", "name.lastIndexOf(u',')"),
    ("names: a plus sign is no part of a track number", "names/PipelineSteps.cpp",
     "c == u' ' || c == u'+' || c == u'-'", "c == u' ' || c == u'-'"),
    ("names: final trim dropped", "names/BuildNewName.cpp", "return TrimSpaces(std::move(name));", "return name;"),
    ("names: proper case after any blank", "names/CaseTransforms.cpp", "if (name.at(p) == u' ')", "if (name.at(p).isSpace())"),
    ("names: Turkish dotted capital dropped", "names/CaseMapping.cpp", "return turkic && c == u'i' ? kCapitalDottedI : QChar::toUpper(c);", "return QChar::toUpper(c);"),
    ("names: final sigma wherever a word may end", "names/CaseMapping.cpp", "LetterAt(text, CharacterBefore(text, i)) && !LetterAt(text, i + 1)", "LetterAt(text, CharacterBefore(text, i)) || !LetterAt(text, i + 1)"),
    ("names: natural order compares mid-number", "names/NaturalOrder.cpp", "while (same > 0 && IsDigit(a.at(same - 1)))", "while (same < 0 && IsDigit(a.at(same - 1)))"),
    ("names: '?' matches nothing special", "names/FilePattern.cpp", "(glob.at(g) == u'?' || glob.at(g) == Folded(name.at(n)))", "(glob.at(g) == Folded(name.at(n)))"),
    ("names: removal list not trimmed", "names/TextTransforms.cpp", "const QStringView listed = TrimmedSpaces(characters);", "const QStringView listed = characters;"),
    ("names: leading dash spaced", "names/SpacingTransforms.cpp", "if (c != u'-' || p == 0) {", "if (c != u'-') {"),
    ("platform: full disk reported as I/O error", "platform/ErrnoCodes.cpp", "    case EDQUOT:\n        return kDiskFull;", "    case EDQUOT:\n        return kDeviceIoError;"),
    ("platform: hiding a name allowed", "platform/FileOperations.cpp", "newName.startsWith(u'.') && !oldName.startsWith(u'.')", "newName.startsWith(u'.') && oldName.startsWith(u'.')"),
    ("platform: plain-file check dropped", "platform/FileOperations.cpp", "if (m_entriesRead && !m_notFiles.contains(name))", "if (m_entriesRead)"),
    ("platform: look-ahead's answer ignored", "platform/PlainFileLookAhead.cpp", "return m_plain[size_t(at)];", "return true;"),
    ("platform: log not synced at close", "platform/LogFile.cpp", "const SysResult synced = system.sync(m_fd);", "const SysResult synced{};"),
    ("platform: a reused log's old length kept as records", "platform/LogFile.cpp",
     "        m_reserved = opened.size;\n        m_size = 0;", "        m_reserved = opened.size;"),
    ("platform: log not cut to its records", "platform/LogFile.cpp", "m_reserved > m_size ? system.truncate(m_fd, m_size)", "m_reserved < m_size ? system.truncate(m_fd, m_size)"),
    ("platform: journal entry not written", "platform/RenameJournal.cpp", "FormatPendingRename(rename), m_base);", "FormatPendingRename(rename).first(0), m_base);"),
    ("platform: reservation without O_EXCL", "platform/RenameSteps.cpp", "system.open(dir, to, O_WRONLY | O_CREAT | O_EXCL)", "system.open(dir, to, O_WRONLY | O_CREAT)"),
    ("platform: escape range off by one", "platform/NameCodec.cpp", "c.unicode() > kEscapeBase + 0xFF", "c.unicode() > kEscapeBase + 0xFE"),
    ("platform: recovery sends a stepped-aside file back", "platform/RenameRecovery.cpp", "if (kept.role != rename.aside)", "if (kept.role == rename.aside)"),
    ("platform: trailing dot allowed on Windows names", "platform/VolumeRules.cpp", "if (name.endsWith(u'.') || name.endsWith(u' '))", "if (name.endsWith(u' '))"),
    ("platform: the folder's readable descriptor never closed", "platform/FileOperations.cpp", "    if (m_readableFd >= 0)\n        m_drives.system().close(m_readableFd);\n", ""),
    ("platform: a record part-written left in the log", "platform/SystemCalls.cpp", "            if (written > 0)\n                system.truncate(fd, size);\n", ""),
    ("platform: a log that cannot be zeroed not emptied", "platform/LogFile.cpp", "const FileErrorCode emptied = cut(0);", "const FileErrorCode emptied = kNoError;"),
    ("platform: a record across two windows copied into the first", "platform/LogFile.cpp",
     "std::min<qsizetype>(bytes.size(), m_windowAt + kLogGrowthStep - at)", "bytes.size()"),
    ("platform: a name at the volume's byte limit refused", "platform/VolumeRules.cpp", "encoded.size() > byteLimit", "encoded.size() >= byteLimit"),
    ("files: cancel ignored", "files/BatchRun.cpp", "if (progress && !progress(i, plans.size(), plan.name)) {", "if (false && progress && !progress(i, plans.size(), plan.name)) {"),
    ("files: unlogged rename not taken back", "files/BatchRun.cpp", "const RenameResult back = folder.rename(plan.newName, plan.name);", "const RenameResult back;"),
    ("files: Undo of a record already put back counted as failure", "files/Undo.cpp", "if (renamed.code == kNoError || putBack)", "if (renamed.code == kNoError || (putBack && false))"),
    ("files: stopped batch not undoable", "files/LastBatch.cpp", "(result.code == kNoError && !result.cancelled) || result.renamed > 0", "result.code == kNoError && !result.cancelled"),
    ("files: replaced log not told apart", "files/LastBatch.cpp", "return log == job.log ? kNoError : kLogReplaced;", "return kNoError;"),
    ("files: Collides and Taken swapped", "files/RenamePlan.cpp", "state & Given ? PreviewMark::Collides : PreviewMark::Taken", "state & Given ? PreviewMark::Taken : PreviewMark::Collides"),
    ("files: record cut short left at start-up", "files/UndoLog.cpp", "const bool unfinished = zeros || parser.cutShort();", "const bool unfinished = bool(zeros);"),
    ("files: wrong message for a full disk", "files/FileErrorReport.cpp", "{QStringLiteral(\"Disk is full!\")}", "{QStringLiteral(\"Disk full!\")}"),
    ("files: clipboard cut at the last dot", "files/ClipboardText.cpp", "name.indexOf(u'.') : name.size()", "name.lastIndexOf(u'.') : name.size()"),
    ("files: blank hand-typed name renamed", "files/HandRename.cpp", "if (std::all_of(answer.begin(), answer.end(), [](QChar c) { return c.isSpace(); })) {", "if (false) {"),
    ("ui: Replace ticked by any text change", "ui/Form1.cpp", "Check5->setChecked(!Text3->text().isEmpty());", "Check5->setChecked(true);"),
    ("ui: stale marks shown", "ui/FileList.cpp", "if (m_makingFor == m_wanted && m_shown != m_wanted)", "if (m_shown != m_wanted)"),
    ("ui: stopped file not shown", "ui/Form1.cpp", "File1->showName(leftAs.isEmpty() ? plans.at(result.renamed).name : leftAs);", "(void)leftAs;"),
    ("ui: wrong accessible name", "ui/Form1Controls.cpp", "{Text4, \"Replace with\"}", "{Text4, \"Replace\"}"),
    ("ui: marks not remade when the list changes", "ui/FileList.cpp", "    verticalScrollBar()->setValue(scrolled);\n    updatePreview();", "    verticalScrollBar()->setValue(scrolled);"),
    ("ui: a tip tells of the marks shown, not of now", "ui/FileList.cpp", "if (event->type() == QEvent::ToolTip)", "if (event->type() == QEvent::None)"),
    ("ui: an unchanged name marked as changing", "ui/PreviewMarks.cpp", "if (mark == PreviewMark::Changes)", "if (mark == PreviewMark::Changes || mark == PreviewMark::Unchanged)"),
    ("ui: F8 stays on the stop it is on", "ui/FileList.cpp", "currentIndex().row() + 1", "currentIndex().row()"),
    ("ui: a failed Undo not reported", "ui/Form1.cpp", "            ShowFileError(outcome.result.code, outcome.result.stranded);\n        }", "        }"),
    ("ui: an ejected stick's folder kept in the lists", "ui/Form1.cpp", "if (m_drives.readiness(Dir1->path().at(0)) != kNoError)", "if (false)"),
    ("ui: the Rename box's Escape renames all the same", "ui/Dialogs.cpp", "return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();", "dialog.exec();\n    return dialog.textValue();"),
    ("ui: Cancel does nothing", "ui/ProgressWindow.cpp", "connect(buttons, &QDialogButtonBox::rejected, this, &ProgressWindow::reject);", ""),
    ("ui: the characters to remove not watched", "ui/Form1.cpp", "for (QLineEdit* text : {Text2, Text4})", "for (QLineEdit* text : {Text4})"),
    ("ui: a case option not watched", "ui/Form1.cpp", "        connect(option, &QRadioButton::clicked, this, &Form1::CheckOrOption_Click);\n", "        (void)option;\n"),
    ("ui: the wait cursor left on", "ui/Form1.cpp", "~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }", "~WaitCursor() {}"),
    ("ui: the file list's scroll lost on a refresh", "ui/FileList.cpp", "    verticalScrollBar()->setValue(scrolled);\n    updatePreview();", "    (void)scrolled;\n    updatePreview();"),
    ("ui: the folder list's scroll lost on a refresh", "ui/FolderList.cpp", "    verticalScrollBar()->setValue(scrolled);\n}", "    (void)scrolled;\n}"),
    ("ui: the chosen folder lost on a refresh", "ui/FolderList.cpp", "            setCurrentRow(row);", "            (void)row;"),
    ("ui: the stopped file not brought to the middle", "ui/FileList.cpp", "    scrollTo(currentIndex(), PositionAtCenter);\n", ""),
    ("ui: the first row's choice lost on a refresh", "ui/FileList.cpp", "if (row >= 0)\n        setCurrentIndex", "if (row > 0)\n        setCurrentIndex"),
    ("ui: folders below shown open", "ui/FolderList.cpp", "add(closed, name,", "add(open, name,"),
    ("ui: the progress count the wrong way round", "ui/ProgressWindow.cpp", ".arg(done).arg(total)", ".arg(total).arg(done)"),
    ("ui: a taken name's tip in other words", "ui/PreviewMarks.cpp", "this name is taken.", "this name is used."),
    ("ui: the Copy button's spoken name cut", "ui/Form1Controls.cpp", "Command4->setAccessibleName(text(\"Copy names to clipboard\"));", "Command4->setAccessibleName(text(\"Copy\"));"),
    ("ui: Copy shows Undo's picture", "ui/Form1Controls.cpp", "ButtonPicture(ButtonPictureKind::Copy, palette())", "ButtonPicture(ButtonPictureKind::Undo, palette())"),
]

ORDER = ["names_test", "platform_test", "rename_test", "files_test", "ui_test", "e2e",
         "volumes_test"]


def passes(command):
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    try:
        return subprocess.run(command, env=environment, capture_output=True,
                              timeout=600).returncode == 0
    except subprocess.TimeoutExpired:
        return False


def catcher(build):
    if not passes(["cmake", "--build", build]):
        return "does not build"
    for test in ORDER:
        if test == "e2e":
            command = ["tests/e2e_test.sh", os.path.join(build, "ui/corvane")]
        elif os.path.exists(os.path.join(build, "tests", test)):
            command = [os.path.join(build, "tests", test)]
        else:
            continue
        if not passes(command):
            return test
    return "missed"


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    only = sys.argv[2] if len(sys.argv) > 2 else ""
    faults = [fault for fault in FAULTS if only in fault[0]]
    caught = 0
    for label, path, text, replacement in faults:
        with open(path) as source:
            original = source.read()
        if text not in original:
            print(f"{label}\tgone from {path}", flush=True)
            continue
        with open(path, "w") as source:
            source.write(original.replace(text, replacement, 1))
        try:
            result = catcher(build)
        finally:
            with open(path, "w") as source:
                source.write(original)
        caught += result != "missed"
        print(f"{label}\t{result}", flush=True)
    passes(["cmake", "--build", build])
    print(f"caught {caught} of {len(faults)}")


main()
