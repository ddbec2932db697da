// Scripted console sessions of Pendax and the hit files it leaves behind.
#include "Pendax.h"
#include "TfTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

using TfTest::Exists;
using TfTest::ReadLines;
using TfTest::WriteText;
using Lines = std::vector<std::string>;

namespace {

struct Session {
    int rc = -1;
    std::string out;
    bool Said(const std::string& text) const { return out.find(text) != std::string::npos; }
};

Session Pendax(const std::string& input, const std::vector<std::string>& args = {})
{
    std::istringstream in(input);
    std::ostringstream out;
    Session r;
    r.rc = RunPendax(args, in, out, true);
    r.out = out.str();
    return r;
}

void MakeRuns()
{
    for (const char* n : {"run1.rvf", "run2.rvf", "run10.rvf", "x.rvf"})
        WriteText(n, "x");
}

} // namespace

TEST(PendaxSession, SyntaxAndHelp)
{
    Session r = Pendax("", {"/?"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_TRUE(r.Said("Pendax [<file name>|<template>|@<hitlist>]"));
    EXPECT_TRUE(r.Said("\n[HIT=<hit_file>] [APPEND] [NO_DIR] [NO_PATH]\n"));
    EXPECT_FALSE(r.Said("APPEND :"));
    for (const char* arg : {"HELP", "-help", "/HELP", "??"}) {
        r = Pendax("", {arg});
        EXPECT_TRUE(r.Said("[HIT=<hit_file>] [APPEND] [NO_DIR] [NO_PATH]\n")) << arg;
        EXPECT_TRUE(r.Said("BATCH :")) << arg;
        EXPECT_TRUE(r.Said("HIT=<hit_file> :  Hit file name [pendax.hit]\n"
                           "APPEND :  Append to hitfile if it exists already\n"
                           "NO_DIR :  Don't perform directory search on list strings\n"
                           "NO_PATH :  Don't include full paths in list file names\n"))
            << arg;
        EXPECT_FALSE(r.Said("template?")) << arg;
    }
    // Keywords match whole.
    r = Pendax("", {"-APPENDX"});
    EXPECT_EQ(r.rc, 2);
    EXPECT_TRUE(r.Said("*** Unknown option -APPENDX"));
}

TEST(PendaxSession, DialogueWritesFullPathsAndShows)
{
    TfTest::TempDir dir;
    MakeRuns();
    const Session r = Pendax("run(1-10).rvf\nS\nx.rvf\n\n");
    EXPECT_TRUE(r.Said(" File name template?   [no more] run(1-10).rvf"));
    EXPECT_TRUE(r.Said(" Next file name template?   ( S - Show,  U - Undo,  E - Erase ) [no more] S\n"
                       + dir.Path() + "/run1.rvf\n" + dir.Path() + "/run2.rvf\n" + dir.Path() + "/run10.rvf\n"));
    EXPECT_EQ(ReadLines("pendax.hit"), (Lines{dir.Path() + "/run1.rvf", dir.Path() + "/run2.rvf",
                                             dir.Path() + "/run10.rvf", dir.Path() + "/x.rvf"}));
    EXPECT_TRUE(r.Said(" *** 4 entries in hitlist file pendax.hit"));
}

TEST(PendaxSession, HitNameKeepsItsCaseAndDefaultNameIsUnused)
{
    TfTest::TempDir dir;
    MakeRuns();
    Pendax("x.rvf\n", {"HIT=Run1.HIT"});
    EXPECT_TRUE(Exists("Run1.HIT"));
    Pendax("x.rvf\n", {"hit=run1.hit", "NO_PATH"});
    EXPECT_EQ(ReadLines("run1.hit"), Lines{"x.rvf"});
    Pendax("x.rvf\n", {"/HIT#other.hit"});
    EXPECT_TRUE(Exists("other.hit"));
    // Without HIT= an existing pendax.hit is not replaced.
    WriteText("pendax.hit", "old\n");
    Pendax("x.rvf\n", {"NOPATH"});
    EXPECT_EQ(ReadLines("pendax.hit"), Lines{"old"});
    EXPECT_EQ(ReadLines("pendax_1.hit"), Lines{"x.rvf"});
    Pendax("run1.rvf\n", {"NOPATH", "OVERWRITE"});
    EXPECT_EQ(ReadLines("pendax.hit"), Lines{"run1.rvf"});
}

TEST(PendaxSession, ShowOnAnEmptyFileIsATemplate)
{
    TfTest::TempDir dir;
    WriteText("S", "x");
    const Session r = Pendax("S\nS\n", {"NO_PATH"});
    EXPECT_FALSE(r.Said(" File name template?   [no more] S\nS\n")); // not shown as a listing
    EXPECT_TRUE(r.Said(" Next file name template?   ( S - Show,  U - Undo,  E - Erase ) [no more] S\nS\n"));
    EXPECT_EQ(ReadLines("pendax.hit"), Lines{"S"});
}

TEST(PendaxSession, UndoAfterEraseLeavesTheFileEmptyAndNoFileBehind)
{
    TfTest::TempDir dir;
    MakeRuns();
    const Session r = Pendax("run*.rvf\nx.rvf\nE\nU\n\n", {"NO_PATH"});
    // After Erase the file is empty, so U is a template that matches nothing.
    EXPECT_TRUE(r.Said("*** No file matches U"));
    EXPECT_TRUE(r.Said(" *** No entries, no hitlist file written"));
    EXPECT_FALSE(Exists("pendax.hit"));
}

TEST(PendaxSession, UndoCutsBackOnlyTheLastTemplate)
{
    TfTest::TempDir dir;
    MakeRuns();
    Pendax("x.rvf\nrun*.rvf\nU\nU\n", {"NO_PATH", "HIT=a.hit"});
    EXPECT_EQ(ReadLines("a.hit"), Lines{"x.rvf"});
    Pendax("x.rvf\nU\n", {"NO_PATH", "HIT=b.hit"});
    EXPECT_FALSE(Exists("b.hit"));
}

TEST(PendaxSession, AppendAndUndoKeepTheLinesThatWereThere)
{
    TfTest::TempDir dir;
    MakeRuns();
    WriteText("list.hit", "first\nsecond\n");
    Session r = Pendax("S\nrun1.rvf\nU\nU\nx.rvf\n", {"APPEND", "HIT=list.hit", "NO_PATH"});
    EXPECT_TRUE(r.Said("[no more] S\nfirst\nsecond\n"));
    EXPECT_EQ(ReadLines("list.hit"), (Lines{"first", "second", "x.rvf"}));
    // Nothing typed: the file stays as it was.
    Pendax("", {"APPEND", "HIT=list.hit"});
    EXPECT_EQ(ReadLines("list.hit"), (Lines{"first", "second", "x.rvf"}));
    // APPEND without HIT= appends to pendax.hit itself.
    WriteText("pendax.hit", "old\n");
    Pendax("x.rvf\n", {"APPEND", "NO_PATH"});
    EXPECT_EQ(ReadLines("pendax.hit"), (Lines{"old", "x.rvf"}));
}

TEST(PendaxSession, NamedFileIsNotDestroyedByARunThatWritesNothing)
{
    TfTest::TempDir dir;
    WriteText("keep.hit", "a\nb\n");
    // Regression: opening for writing emptied the file and the empty file was deleted.
    const Session r = Pendax("", {"HIT=keep.hit"});
    EXPECT_EQ(ReadLines("keep.hit"), (Lines{"a", "b"}));
    EXPECT_TRUE(r.Said("keep.hit left as it was"));
}

TEST(PendaxSession, AFileThatWasThereIsNeverDeletedNorAPipeReplaced)
{
    TfTest::TempDir dir;
    MakeRuns();
    const std::string signal("RVF-1992    binary\0data", 23);
    WriteText("keep.rvf", signal);
    // Regression: a template then Erase deleted a file the run had not made.
    const Session r = Pendax("x.rvf\nE\n", {"HIT=keep.rvf", "NO_PATH"});
    EXPECT_TRUE(r.Said("*** WARNING - keep.rvf is not a hitlist"));
    EXPECT_TRUE(r.Said("keep.rvf left as it was"));
    EXPECT_EQ(TfTest::ReadText("keep.rvf"), signal);
    // Regression: a pipe given as hit file was replaced by a regular file.
    ASSERT_EQ(::mkfifo("pipe.hit", 0600), 0);
    EXPECT_EQ(Pendax("x.rvf\n", {"HIT=pipe.hit"}).rc, 1);
    EXPECT_TRUE(std::filesystem::is_fifo("pipe.hit"));
    // A name with a line break stays one line of the hitlist.
    WriteText("two\nlines.rvf", "x");
    Pendax("two*\n", {"HIT=n.hit", "NO_PATH"});
    EXPECT_EQ(ReadLines("n.hit"), Lines{"'two'$'\\n''lines.rvf'"});
}

TEST(PendaxSession, ListFileIsCopiedLineByLine)
{
    TfTest::TempDir dir;
    MakeRuns();
    WriteText("names.txt", "   run1.rvf  \n  x.rvf   \n\nrun2.rvf\r\n");
    Pendax("", {"names.txt", "NO_PATH"});
    EXPECT_EQ(ReadLines("pendax.hit"), (Lines{"run1.rvf", "  x.rvf", "", "run2.rvf"}));
    Pendax("", {"names.txt", "HIT=full.hit"});
    EXPECT_EQ(ReadLines("full.hit"), (Lines{dir.Path() + "/run1.rvf", dir.Path() + "/  x.rvf", "",
                                           dir.Path() + "/run2.rvf"}));
    // A file whose first line names no file is an ordinary template.
    WriteText("plain.txt", "not a file name\n");
    Pendax("", {"plain.txt", "HIT=plain.hit", "NO_PATH"});
    EXPECT_EQ(ReadLines("plain.hit"), Lines{"plain.txt"});
}

TEST(PendaxSession, NoDirectorySearchWritesTemplatesAsTyped)
{
    TfTest::TempDir dir;
    Pendax("r(1-3)*.rvf\nnothing.rvf\n", {"NODIR", "NO_PATH"});
    EXPECT_EQ(ReadLines("pendax.hit"), (Lines{"r1*.rvf", "r2*.rvf", "r3*.rvf", "nothing.rvf"}));
    const Session r = Pendax("", {"NO_DIR", "HIT=x.hit"});
    EXPECT_TRUE(r.Said(" Template?   [no more] "));
}

TEST(PendaxSession, BatchExpandsTheCommandLineTemplateOnly)
{
    TfTest::TempDir dir;
    MakeRuns();
    std::filesystem::create_directory("out");
    const Session r = Pendax("x.rvf\n", {"run?.rvf", "BATCH", "OUT=out", "NO_PATH"});
    EXPECT_FALSE(r.Said("template?"));
    EXPECT_EQ(ReadLines("out/pendax.hit"), (Lines{"run1.rvf", "run2.rvf"}));
}

TEST(PendaxSession, OpenFailureWritesNothing)
{
    TfTest::TempDir dir;
    const Session r = Pendax("x.rvf\n", {"HIT=nodir/a.hit"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.Said("*** Hitlist file open failed"));
    EXPECT_FALSE(r.Said("template?"));
}

TEST(PendaxSession, BuiltProgramRunsFromAPipe)
{
    TfTest::TempDir dir;
    MakeRuns();
    WriteText("answers", "run1.rvf\nrun2.rvf\n");
    const std::string command = std::string(PENDAX_EXE) + " NO_PATH hit=p.hit < answers > transcript 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadLines("p.hit"), (Lines{"run1.rvf", "run2.rvf"}));
    EXPECT_NE(TfTest::ReadText("transcript").find(" *** 2 entries in hitlist file p.hit"), std::string::npos);
}
