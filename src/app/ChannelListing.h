#pragma once
// What the file list knows of a listed name beyond its path: the channel code
// and name an ISO-MME test lists it by, and the test it belongs to.
#include <QString>
#include <QStringList>

struct CChannelListing {
    QString legend;   // the code, or the file name where the test repeats the code
    QString text;     // "CODE  name"
    QString code;     // the 16-character channel code
    QString title;    // the channel's name
    QString test;     // the test's number (its folder or file name without one)
    QString testPath; // the test (.mme, folder or .zip) it was listed from
    // A simulation's channel: the simulation file it was listed from, the
    // channel's index in it and its groups in the tree (the file, the
    // result file, the id with its title).
    QString simPath;
    int simChannel = -1;
    QStringList groups;
};
