#pragma once
// A CDocUi that answers from queues filled by the test and records what the
// document showed. An empty queue answers Cancel.
#include "DocUi.h"
#include "KVSignal.h"
#include "SignalCheckCache.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

struct CSaveAnswer {
    QString path;
    bool append = false;
};

struct CStartedProgram {
    QString program;
    QStringList arguments;
    QStringList removeAfter;
};

class CScriptedUi : public CDocUi {
public:
    std::deque<QString> directories;
    std::deque<QString> openPaths;
    std::deque<CSaveAnswer> savePaths;
    std::deque<COptionsValues> options;
    std::deque<QString> texts;
    std::deque<std::pair<int, float>> filterChoices;
    std::deque<float> timeSteps;
    std::deque<int> pointCounts; // the dialog's "Number of Points", once timeSteps is empty
    std::deque<std::pair<float, float>> intervals;
    std::deque<QStringList> signalLabels;
    std::deque<QStringList> hitlists;
    std::deque<QString> modelUnits; // a simulation's units: "mm-ms-kg-kN", or empty for model units
    QStringList unitsAskedFor;
    std::deque<std::function<void(KVSignal&)>> headerEdits;
    // Answers before modified signals are dropped. Unlike the dialogs, an
    // empty queue discards, as the document did before it asked; what was
    // asked about is kept in dropQuestions.
    std::deque<EDropAnswer> dropAnswers;
    std::vector<QStringList> dropQuestions;

    std::vector<CFileDialogRequest> fileRequests;
    std::vector<std::pair<QString, QString>> textPrompts; // caption, prompt
    std::vector<QString> textInitial;
    std::vector<CResampleValues> resampleShown;
    std::vector<std::pair<float, float>> intervalShown;
    std::vector<QStringList> labelNamesShown;
    std::vector<COptionsValues> optionsShown;
    QStringList messageBoxes;
    std::vector<QStringList> errorDialogs;
    QString caption;
    QString title;
    QStringList titles; // every title set, in order
    QString clipboard;
    int waitDepth = 0;
    int waitCount = 0;
    std::vector<CStartedProgram> started;
    bool startSucceeds = true;
    QStringList progressTitles;       // every run behind the progress window
    int cancelProgressAt = -1;        // the step at which the person cancels; -1: never
    std::vector<std::vector<CCheckedFile>> checkResults; // every results window

    bool ChooseDirectory(QString& dir) override { return Take(directories, dir); }
    bool OpenFileDialog(const CFileDialogRequest& request, QString& path) override
    {
        fileRequests.push_back(request);
        return Take(openPaths, path);
    }
    bool SaveFileDialog(const CFileDialogRequest& request, QString& path, bool& append) override
    {
        fileRequests.push_back(request);
        CSaveAnswer answer;
        if (!Take(savePaths, answer))
            return false;
        path = answer.path;
        append = answer.append;
        return true;
    }
    bool EditOptions(COptionsValues& values) override
    {
        optionsShown.push_back(values);
        return Take(options, values);
    }
    bool EnterText(const QString& caption_, const QString& prompt, QString& text) override
    {
        textPrompts.emplace_back(caption_, prompt);
        textInitial.push_back(text);
        return Take(texts, text);
    }
    bool SelectFilterClass(int& index, float& frequency) override
    {
        std::pair<int, float> choice;
        if (!Take(filterChoices, choice))
            return false;
        index = choice.first;
        frequency = choice.second;
        return true;
    }
    bool SelectTimeStep(CResampleValues& values) override
    {
        resampleShown.push_back(values);
        if (Take(timeSteps, values.timeStep))
            return true;
        // As the dialog derives it: n points cover the span with n - 1 steps.
        if (!Take(pointCounts, values.points))
            return false;
        values.timeStep = values.span / static_cast<float>(values.points - 1);
        values.byPoints = true;
        return true;
    }
    bool SelectInterval(float& start, float& stop) override
    {
        intervalShown.emplace_back(start, stop);
        std::pair<float, float> chosen;
        if (!Take(intervals, chosen))
            return false;
        start = chosen.first;
        stop = chosen.second;
        return true;
    }
    bool EditSignalLabels(const QStringList& names, QStringList& labels) override
    {
        labelNamesShown.push_back(names);
        return Take(signalLabels, labels);
    }
    bool EditHitlist(QStringList& names) override { return Take(hitlists, names); }
    bool AskModelUnits(const QString& file, QString& units) override
    {
        unitsAskedFor << file;
        return Take(modelUnits, units);
    }
    bool EditHeader(KVSignal& signal) override
    {
        if (headerEdits.empty())
            return false;
        headerEdits.front()(signal);
        headerEdits.pop_front();
        return true;
    }
    EDropAnswer AskDropModified(const QStringList& names) override
    {
        dropQuestions.push_back(names);
        EDropAnswer answer = EDropAnswer::Discard;
        Take(dropAnswers, answer);
        return answer;
    }
    void ShowMessageBox(const QString& text) override { messageBoxes.append(text); }
    void ShowErrorsAndWarnings(const QStringList& messages) override { errorDialogs.push_back(messages); }
    void SetCaption(const QString& text) override { caption = text; }
    void SetTitle(const QString& text) override
    {
        title = text;
        titles << text;
    }
    void SetClipboardText(const QString& text) override { clipboard = text; }
    QString ClipboardText() override { return clipboard; }
    void BeginWaitCursor() override
    {
        ++waitDepth;
        ++waitCount;
    }
    void EndWaitCursor() override { --waitDepth; }
    bool StartProgram(const QString& program, const QStringList& arguments,
                      const QStringList& removeAfter) override
    {
        started.push_back({program, arguments, removeAfter});
        return startSucceeds;
    }
    void RunWithProgress(const QString& title, const std::function<void(const Progress&)>& work) override
    {
        progressTitles << title;
        work([this](int done, int) { return cancelProgressAt < 0 || done < cancelProgressAt; });
    }
    void ShowCheckResults(const std::vector<CCheckedFile>& files) override { checkResults.push_back(files); }

private:
    template <typename T>
    static bool Take(std::deque<T>& queue, T& out)
    {
        if (queue.empty())
            return false;
        out = std::move(queue.front());
        queue.pop_front();
        return true;
    }
};
