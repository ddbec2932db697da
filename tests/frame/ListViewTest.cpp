// The file list view over a real document: listing, sorting, selection
// loading and unloading, context menus, paste and drop.
#include "CFrameUi.h"
#include "COndrelView.h"
#include "CTextEntryDlg.h"
#include "CommandIds.h"
#include "FileCommands.h"
#include "FrameTestSupport.h"
#include "OndrelDoc.h"
#include "OperateCommands.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>

namespace {

class ListViewTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        QApplication::clipboard()->clear();
        doc = std::make_unique<COndrelDoc>(&ui);
        doc->OnNewDocument();
        view = std::make_unique<COndrelView>(doc.get(), &window);
        view->OnInitialUpdate();
    }

    void Browse(const QStringList& names)
    {
        for (const QString& name : names)
            ASSERT_TRUE(WriteRvf(Dir() + name, RampSignal(10 + name.size())));
        doc->BrowseDirectory(Dir());
    }

    QStringList Items() const
    {
        QStringList items;
        for (int i = 0; i < view->count(); ++i)
            items << view->item(i)->text();
        return items;
    }
    QStringList Loaded() const
    {
        QStringList names;
        for (const CSignalEntry& entry : doc->Signals())
            names << entry.name;
        return names;
    }
    void Select(int row, bool on = true) { view->item(row)->setSelected(on); }

    // "text" or "text (grey)" per item, "-" per separator.
    QStringList MenuState()
    {
        std::unique_ptr<QMenu> menu(view->BuildContextMenu(&window));
        QStringList out;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator())
                out << QStringLiteral("-");
            else
                out << action->text() + (action->isEnabled() ? QString() : QStringLiteral(" (grey)"));
        }
        return out;
    }

    QWidget window;
    CFrameUi ui{&window};
    std::unique_ptr<COndrelDoc> doc;
    std::unique_ptr<COndrelView> view;
};

} // namespace

TEST_F(ListViewTest, ListStyleWithSeveralColumnsAndMultipleSelection)
{
    EXPECT_EQ(view->viewMode(), QListView::ListMode);
    EXPECT_EQ(view->flow(), QListView::TopToBottom);
    EXPECT_TRUE(view->isWrapping());
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(ListViewTest, DirectoryListsPlainFilesSortedByTheSortSetting)
{
    QDir(Dir()).mkdir(QStringLiteral("sub.b00"));
    Browse({"d.x", "c.b10", "a.b01", "b.X"});
    EXPECT_EQ(Items(), (QStringList{"a.b01", "b.X", "c.b10", "d.x"}));

    view->OnSortByExtension();
    EXPECT_EQ(Items(), (QStringList{"b.X", "a.b01", "c.b10", "d.x"}));
    EXPECT_EQ(Stored("Sort"), QStringLiteral("1"));
    // A re-list keeps the stored order.
    doc->UpdateAllViews(HINT_LIST_CHANGED);
    EXPECT_EQ(Items(), (QStringList{"b.X", "a.b01", "c.b10", "d.x"}));
    view->OnSortByName();
    EXPECT_EQ(Items(), (QStringList{"a.b01", "b.X", "c.b10", "d.x"}));
    EXPECT_EQ(Stored("Sort"), QStringLiteral("0"));
}

TEST_F(ListViewTest, SelectionLoadsInSelectionOrderAndDeselectionUnloads)
{
    Browse({"a.rvf", "b.rvf", "c.rvf"});
    Select(0);
    Select(2);
    Select(1);
    EXPECT_EQ(Loaded(), (QStringList{"a.rvf", "c.rvf", "b.rvf"}));
    Select(2, false);
    EXPECT_EQ(Loaded(), (QStringList{"a.rvf", "b.rvf"}));
    EXPECT_EQ(doc->Signals()[1].signal.PointCount(), 15u);
    view->clearSelection();
    EXPECT_TRUE(doc->Signals().empty());
}

TEST_F(ListViewTest, SelectingLoadsOnlyTheNewlySelectedFile)
{
    Browse({"a.rvf", "b.rvf"});
    Select(0);
    // Changing the file shows whether a later selection reloads it.
    KVSignal changed = RampSignal(11);
    changed.SetPoint(0.0f, 42.0f, 0);
    ASSERT_TRUE(WriteRvf(Dir() + "a.rvf", changed));
    Select(1);
    ASSERT_EQ(Loaded(), (QStringList{"a.rvf", "b.rvf"}));
    EXPECT_EQ(doc->Signals()[0].signal.Y()[0], 0.0f);
}

TEST_F(ListViewTest, RefillingSelectsNothingAndKeepsTheLoadedSignals)
{
    Browse({"a.rvf", "b.rvf"});
    Select(1);
    doc->UpdateAllViews(HINT_LIST_CHANGED);
    EXPECT_TRUE(view->selectedItems().isEmpty());
    EXPECT_EQ(Loaded(), (QStringList{"b.rvf"}));
}

TEST_F(ListViewTest, DirectoryModeMenuGreysByStateAndClipboard)
{
    Browse({"a.rvf"});
    EXPECT_EQ(MenuState(),
              (QStringList{"Apply Filter ...", "Save HitList ...", "Save Selected Hitlist... (grey)", "-",
                           "Copy Filename(s) (grey)", "Paste Filename(s) (grey)", "Clear List"}));
    QApplication::clipboard()->setText(QStringLiteral("/x.rvf"));
    Select(0);
    EXPECT_EQ(MenuState(),
              (QStringList{"Apply Filter ...", "Save HitList ...", "Save Selected Hitlist...", "-", "Copy Filename(s)",
                           "Paste Filename(s)", "Clear List"}));
}

TEST_F(ListViewTest, HitlistModeMenuGreysRemovalWithoutSelection)
{
    FileCommands::OpenDataFile(*doc, QStringLiteral("/data/a.rvf"));
    auto* files = new QMimeData;
    files->setUrls({QUrl::fromLocalFile(QStringLiteral("/data/b.rvf"))});
    QApplication::clipboard()->setMimeData(files);
    EXPECT_EQ(MenuState(),
              (QStringList{"Edit HitList", "Save HitList...", "Save Selected Hitlist... (grey)", "-", "Clear HitList",
                           "Remove Selected Item(s) (grey)", "Remove Unselected Item(s) (grey)", "-",
                           "Copy Filename(s) (grey)", "Paste Filename(s)"}));
}

TEST_F(ListViewTest, PastingTwoPathsTurnsADirectoryIntoAHitlist)
{
    Browse({"a.rvf"});
    QApplication::clipboard()->setText(QStringLiteral("/p/one.rvf\r\n/p/two.rvf\r\n"));
    view->OnCommand(ID_LIST_PASTE_FILENAMES);
    EXPECT_TRUE(doc->List().HitMode());
    // The list is sorted by name in hitlist mode too.
    EXPECT_EQ(doc->FileList(), (QStringList{"/p/one.rvf", "/p/two.rvf", Dir() + "a.rvf"}));
    EXPECT_EQ(Items(), doc->FileList());
}

TEST_F(ListViewTest, PastingACopiedFileListAddsTheFiles)
{
    auto* files = new QMimeData;
    files->setUrls(
        {QUrl::fromLocalFile(QStringLiteral("/data/b c.rvf")), QUrl::fromLocalFile(QStringLiteral("/d/e.rvf"))});
    QApplication::clipboard()->setMimeData(files);
    view->OnCommand(ID_LIST_PASTE_FILENAMES);
    EXPECT_EQ(Items(), (QStringList{"/d/e.rvf", "/data/b c.rvf"}));
}

TEST_F(ListViewTest, CopyPutsTheLoadedNamesWithTheirDirectoryOnTheClipboard)
{
    Browse({"a.rvf", "b.rvf"});
    Select(1);
    Select(0);
    view->OnCommand(ID_LIST_COPY_FILENAMES);
    EXPECT_EQ(QApplication::clipboard()->text(), Dir() + "b.rvf\r\n" + Dir() + "a.rvf\r\n");
}

namespace {
// Reaches the drag and drop handlers the way the window system's delivery does.
struct DropTarget : COndrelView {
    using COndrelView::COndrelView;
    using COndrelView::dragEnterEvent;
    using COndrelView::dropEvent;
};
} // namespace

TEST_F(ListViewTest, DroppedFilesAndTextJoinTheList)
{
    DropTarget target(doc.get(), &window);
    target.OnInitialUpdate();
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/data/a.rvf"))});
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &files, Qt::LeftButton, Qt::NoModifier);
    target.dropEvent(&drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);

    QMimeData text;
    text.setText(QStringLiteral("/data/b.rvf\n/data/c.rvf"));
    QDropEvent dropText(QPointF(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    target.dropEvent(&dropText);
    EXPECT_EQ(Items(), (QStringList{"/data/a.rvf", "/data/b.rvf", "/data/c.rvf"}));

    QMimeData other;
    other.setData(QStringLiteral("application/x-other"), "x");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &other, Qt::LeftButton, Qt::NoModifier);
    enter.accept();
    target.dragEnterEvent(&enter);
    EXPECT_FALSE(enter.isAccepted());
}

TEST_F(ListViewTest, ClearAndRemoveCommandsKeepWhatTheySay)
{
    for (const char* name : {"/d/a.rvf", "/d/b.rvf", "/d/c.rvf"}) {
        ASSERT_TRUE(QDir().mkpath(Dir() + "d"));
        const QString path = Dir() + QString::fromLatin1(name + 1);
        ASSERT_TRUE(WriteRvf(path, RampSignal(8)));
        FileCommands::OpenDataFile(*doc, path);
    }
    Select(0);
    Select(2);
    view->OnCommand(ID_LIST_REMOVE_UNSELECTED);
    EXPECT_EQ(Items(), (QStringList{Dir() + "d/a.rvf", Dir() + "d/c.rvf"}));
    EXPECT_EQ(doc->Signals().size(), 2u);
    Select(1);
    view->OnCommand(ID_LIST_REMOVE_SELECTED);
    EXPECT_EQ(Items(), (QStringList{Dir() + "d/a.rvf"}));
    EXPECT_TRUE(doc->Signals().empty());
    view->OnCommand(ID_LIST_CLEAR);
    EXPECT_TRUE(Items().isEmpty());
}

TEST_F(ListViewTest, ApplyFilterShowsMatchingNamesOrSaysItFoundNone)
{
    Browse({"v1.aa0", "v2.aa0", "w1.aa0"});
    AnswerNextModal([](QWidget* modal) {
        auto* dialog = static_cast<CTextEntryDlg*>(modal);
        dialog->Field()->setText(QStringLiteral("v*.aa0"));
        dialog->accept();
    });
    view->OnCommand(ID_LIST_APPLY_FILTER);
    EXPECT_EQ(Items(), (QStringList{"v1.aa0", "v2.aa0"}));

    QString message;
    AnswerNextModal([&message](QWidget* modal) {
        auto* dialog = static_cast<CTextEntryDlg*>(modal);
        dialog->Field()->setText(QStringLiteral("zz*"));
        dialog->accept();
        AnswerNextModal([&message](QWidget* box) {
            message = static_cast<QMessageBox*>(box)->text();
            static_cast<QDialog*>(box)->accept();
        });
    });
    view->OnCommand(ID_LIST_APPLY_FILTER);
    EXPECT_EQ(message, QStringLiteral("Error Processing Filter (zz*)"));
    EXPECT_EQ(Items(), (QStringList{"v1.aa0", "v2.aa0"}));
}

// Regression: a click elsewhere in the list dropped a filtered signal unasked.
TEST_F(ListViewTest, KeepingAModifiedSignalSelectsItAgain)
{
    Browse({"a.rvf", "b.rvf"});
    Select(0);
    OperateCommands::FilterClass(*doc, 60);
    ASSERT_TRUE(doc->Signals().at(0).modified);
    QString asked;
    AnswerNextModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        asked = box->text() + " " + box->informativeText();
        box->button(QMessageBox::Cancel)->click();
    });
    view->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(asked, "Discard the modified signals? a.rvf");
    EXPECT_EQ(Loaded(), QStringList{"a.rvf"});
    EXPECT_TRUE(view->item(0)->isSelected());
    EXPECT_FALSE(view->item(1)->isSelected());
    EXPECT_TRUE(doc->Signals()[0].modified);
}
