// The document's state objects on their own: the message list, the loaded
// signals, the file list and the plot texts that follow the loaded signals.
#include "AppTestSupport.h"
#include "FileList.h"
#include "LoadedSignals.h"
#include "MessageList.h"
#include "PlotTexts.h"

namespace {

KVErrorList OneError(const char* message, const char* scope)
{
    KVErrorList errors;
    errors.AddError(message, scope);
    return errors;
}

} // namespace

TEST(MessageList, ErrorsNameTheirSignalAndThoseWithoutOneKeepTheirPlaces)
{
    CMessageList messages;
    messages.AddErrorsAbout(QString(), OneError("no step", "Kalvio::Bias"));
    KVErrorList two = OneError("first", "Kalvio::derivY");
    two.AddError("second", "Kalvio::derivY");
    messages.AddErrorsAbout("b.rvf", two);
    messages.SetLines({"stale"});
    messages.CollectErrors();
    EXPECT_EQ(
        messages.Lines(),
        (QStringList{"Kalvio::Bias - no step", "b.rvf: Kalvio::derivY - first", "b.rvf: Kalvio::derivY - second"}));
    messages.ClearErrors();
    messages.AddErrorsAbout(QString(), OneError("after", "Ondrel"));
    messages.CollectErrors();
    // A subject of the errors cleared must not lead a later error.
    EXPECT_EQ(messages.Lines(), QStringList{"Ondrel - after"});
}

TEST(MessageList, LoadWarningsAreTakenOnceAndDroppedWarningsNever)
{
    CMessageList messages;
    messages.SetLines({"kept"});
    EXPECT_FALSE(messages.TakeLoadWarnings());
    EXPECT_EQ(messages.Lines(), QStringList{"kept"});
    messages.AddLoadWarnings({"a.txt: step"});
    messages.AddLoadWarnings({"b.txt: step"});
    EXPECT_TRUE(messages.TakeLoadWarnings());
    EXPECT_EQ(messages.Lines(), (QStringList{"a.txt: step", "b.txt: step"}));
    EXPECT_FALSE(messages.TakeLoadWarnings());
    messages.AddLoadWarnings({"c.txt: step"});
    messages.DropLoadWarnings();
    EXPECT_FALSE(messages.TakeLoadWarnings());
}

TEST(LoadedSignals, PointCountFlagsAndNamesFollowTheEntries)
{
    CLoadedSignals loaded;
    EXPECT_EQ(loaded.MaxPoints(), 0);
    loaded.Add({"a.rvf", Ramp(5)});
    CSignalEntry sum(QString(), Ramp(9), true);
    sum.computedName = "Sum";
    loaded.Add(sum);
    EXPECT_EQ(loaded.MaxPoints(), 9);
    EXPECT_TRUE(loaded.HasModified());
    // A computed signal has no file name, only its display name.
    EXPECT_EQ(loaded.FileNames(), QStringList{"a.rvf"});
    EXPECT_EQ(loaded.DisplayNames(), (QStringList{"a.rvf", "Sum"}));
    loaded.ResetPoints();
    EXPECT_EQ(loaded.MaxPoints(), 0);
    loaded.Entries().pop_back();
    loaded.CountPoints();
    EXPECT_EQ(loaded.MaxPoints(), 5);
    EXPECT_FALSE(loaded.HasModified());
    loaded.Clear();
    EXPECT_EQ(loaded.MaxPoints(), 0);
}

TEST(LoadedSignals, TheScratchRecordMovesIntoItsEntry)
{
    CLoadedSignals loaded;
    loaded.Scratch() = Ramp(4);
    loaded.AddLastLoaded("x.rvf");
    ASSERT_EQ(loaded.Size(), 1u);
    EXPECT_EQ(loaded.Entries()[0].signal.PointCount(), 4u);
    EXPECT_FALSE(loaded.Entries()[0].modified);
    EXPECT_EQ(loaded.LastLoaded().PointCount(), 0u);
    EXPECT_EQ(loaded.MaxPoints(), 4);
}

TEST(FileList, ModesPathsAndClearing)
{
    CFileList list;
    list.Browse("/data/");
    list.SetNames({"a.rvf", "b.rvf"});
    EXPECT_FALSE(list.HitMode());
    EXPECT_EQ(list.PathOf("a.rvf"), "/data/a.rvf");
    EXPECT_EQ(list.SwitchToHitMode(), "/data/");
    EXPECT_TRUE(list.HitMode());
    EXPECT_EQ(list.Names(), (QStringList{"/data/a.rvf", "/data/b.rvf"}));
    EXPECT_EQ(list.PathOf("/data/a.rvf"), "/data/a.rvf");
    list.AppendNew({"/data/b.rvf", "/x/c.rvf", "/x/c.rvf"});
    EXPECT_EQ(list.Names(), (QStringList{"/data/a.rvf", "/data/b.rvf", "/x/c.rvf"}));
    list.Clear();
    EXPECT_TRUE(list.Names().isEmpty());

    // Clear List in directory mode also leaves the directory.
    list.Browse("/data/");
    list.SetNames({"a.rvf"});
    list.Clear();
    EXPECT_TRUE(list.Directory().isEmpty());
}

TEST(FileList, SortByExtensionKeepsTheOrderWithinAnExtension)
{
    CFileList list;
    list.SetNames({"z.rvf", "b.txt", "dir.v2/noext", "a.rvf", "c"});
    list.Sort(1);
    // A dot in a folder name is no extension.
    EXPECT_EQ(list.Names(), (QStringList{"dir.v2/noext", "c", "z.rvf", "a.rvf", "b.txt"}));
    list.Sort(0);
    EXPECT_EQ(list.Names(), (QStringList{"a.rvf", "b.txt", "c", "dir.v2/noext", "z.rvf"}));
    list.Sort(7);
    EXPECT_EQ(list.Names(), (QStringList{"a.rvf", "b.txt", "c", "dir.v2/noext", "z.rvf"}));
}

TEST(FileList, RelistOfAMissingDirectoryListsNothing)
{
    CFileList list;
    list.Browse("/no/such/folder/");
    list.SetNames({"left.rvf"});
    list.Relist(0);
    EXPECT_TRUE(list.Names().isEmpty());
    // A plain file is listed by its own name and text.
    EXPECT_EQ(list.ListText("a.rvf"), "a.rvf");
    EXPECT_EQ(list.ListingOf("a.rvf"), nullptr);
    EXPECT_TRUE(list.ListedTests().isEmpty());
}

TEST(PlotTexts, FollowTheLoadedSignalsAndKeepTheirTextsWithNoneLoaded)
{
    CLoadedSignals loaded;
    CFileList list;
    CPlotTexts texts;
    texts.title = "edited";
    texts.Follow(loaded, list);
    EXPECT_EQ(texts.title, "edited");

    KVSignal force = Ramp(4);
    force.SetYUnits("KN");
    loaded.Add({"head_ax.rvf", Ramp(4)});
    loaded.Add({"femur_fz.rvf", force});
    texts.Follow(loaded, list);
    EXPECT_EQ(texts.yLabel, "Mixed Units");
    // Names that fit the legend stay whole.
    EXPECT_EQ(texts.legend, (QStringList{"head_ax.rvf", "femur_fz.rvf"}));
    // Several signals have no peak subtitle.
    EXPECT_TRUE(texts.subTitle.isEmpty());

    loaded.Entries().pop_back();
    texts.Follow(loaded, list);
    EXPECT_FALSE(texts.subTitle.isEmpty());
}
