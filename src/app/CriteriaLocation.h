#pragma once
// Where the criterion programs are looked for when the user has not chosen a
// folder: beside the running program first, so that a moved installation and
// a build tree each find their own programs, then the folder they were
// installed to.
#include <QString>
#include <QStringList>

struct CCriteriaLayout {
    QString besideProgram; // relative to the running program's folder
    QString buildTree;     // the programs' folder in the build tree
    QString buildRoot;     // the build tree: buildTree is searched only from inside it
    QString installed;     // the installed folder: the answer when no folder holds a program
};

// The layout of this build and its installation.
CCriteriaLayout BuiltCriteriaLayout();

// The folders searched, in order, for a program running in programDir: that
// folder, besideProgram from it, the build tree when programDir lies inside
// it, the installed folder. Clean paths without a final "/".
QStringList CriteriaDirCandidates(const QString& programDir, const CCriteriaLayout& layout);

// The first candidate holding one of the criterion programs as an executable
// file; the installed folder when none does.
QString FindCriteriaDir(const QString& programDir, const CCriteriaLayout& layout);

// FindCriteriaDir for the running program and this build.
QString DefaultCriteriaDir();
