#pragma once
// "ondrel --save-all-plots": the batch pictures of the Save All Plots command
// without a window, for scripts and build pipelines.
#include <QSize>
#include <QString>
#include <QStringList>

struct CSaveAllPlotsOptions {
    bool svg = false;
    QString directory;           // ends in "/"
    QSize size;                  // the first size choice unless --size is given
    bool multiLineTitle = false; // one signal per picture: the nine-line title block
    int lineStyle = 0;
    QStringList files;
};

// The usage text of the command.
QString SaveAllPlotsUsage();

// Whether the arguments (program name left out) ask for the batch pictures.
bool IsSaveAllPlotsCommand(const QStringList& args);

// Reads "--save-all-plots jpg|svg DIR [--size WxH] [--multi-line-title]
// [--line-style N] FILE..."; false with the reason in error.
bool ParseSaveAllPlotsArgs(const QStringList& args, CSaveAllPlotsOptions& options, QString& error);

// Runs the command (a QApplication must exist): 0 when every file with data
// gave its picture, 1 when any failed, 2 for a wrong command line. Progress
// and failures go to standard error.
int RunSaveAllPlots(const QStringList& args);

// The whole program for that command: the offscreen platform, the
// application object and RunSaveAllPlots.
int SaveAllPlotsMain(int argc, char** argv);
