// The output file: all-or-nothing stores, private temporary files that never
// outlive the program, and targets that are not plain files.
#include "KVOutputFile.h"
#include "KVTempFile.h"
#include "SignalTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// The inodes whose data the library sent to disk: its calls resolve to this
// definition, which passes them on to the C library's.
static std::vector<ino_t> g_dataSynced;

extern "C" int fdatasync(int fd) noexcept
{
    struct stat st {};
    if (::fstat(fd, &st) == 0)
        g_dataSynced.push_back(st.st_ino);
    using Sync = int (*)(int);
    static const Sync real = reinterpret_cast<Sync>(::dlsym(RTLD_NEXT, "fdatasync"));
    return real(fd);
}

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

Bytes Piece(size_t n, uint8_t v) { return Bytes(n, v); }

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

ino_t InodeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_ino;
}

} // namespace

TEST(OutputFile, ReplacesOnlyOnCommitThroughAPrivateTemporaryFile)
{
    TempDir dir;
    const std::string target = dir.Path("t.rvf");
    WriteAll(target, Bytes{1, 2, 3});
    ::chmod(target.c_str(), 0640);
    {
        KVOutputFile out(target);
        ASSERT_TRUE(out.Open()) << out.Reason();
        EXPECT_EQ(out.GetWay(), KVOutputFile::Way::Replace);
        ASSERT_TRUE(out.Write(Piece(100000, 7))); // beyond one gathered chunk
        ASSERT_TRUE(out.Write(Piece(10, 8)));
        // While it fills, the new content is readable by its owner alone.
        const Lines entries = dir.Entries();
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[0].rfind(kTempPrefix, 0), 0u) << entries[0];
        EXPECT_EQ(ModeOf(dir.Path(entries[0])), 0600u);
        EXPECT_EQ(ReadAll(target), (Bytes{1, 2, 3}));
        // Abandoned (here by the destructor): the old file stays byte for byte.
    }
    EXPECT_EQ(ReadAll(target), (Bytes{1, 2, 3}));
    EXPECT_EQ(dir.Entries(), Lines{"t.rvf"});

    // A larger content than fits one gathered write.
    KVOutputFile out(target);
    ASSERT_TRUE(out.Open());
    ASSERT_TRUE(out.Write(Piece(100000, 7)));
    ASSERT_TRUE(out.Commit()) << out.Reason();
    EXPECT_EQ(ReadAll(target), Piece(100000, 7));
    EXPECT_EQ(ModeOf(target), 0640u); // widened to the old file's mode
    EXPECT_EQ(dir.Entries(), Lines{"t.rvf"});

    // A new file gets the mode a plain create would give it.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    std::string reason;
    ASSERT_TRUE(KVWriteFile(dir.Path("new.rvf"), Bytes{9}, reason)) << reason;
    EXPECT_EQ(ModeOf(dir.Path("new.rvf")), 0666u & ~mask);
}

TEST(OutputFile, TheContentReachesTheDiskBeforeItsName)
{
    // Replaced through a temporary file, and rewritten in place (a hard link).
    TempDir dir;
    const std::string target = dir.Path("s.rvf");
    for (const bool inPlace : {false, true}) {
        WriteAll(target, Bytes{1});
        if (inPlace) {
            ASSERT_EQ(::link(target.c_str(), dir.Path("link.rvf").c_str()), 0);
        }
        g_dataSynced.clear();
        KVOutputFile out(target);
        ASSERT_TRUE(out.Open()) << out.Reason();
        EXPECT_EQ(out.GetWay(), inPlace ? KVOutputFile::Way::InPlace : KVOutputFile::Way::Replace);
        ASSERT_TRUE(out.Write(Piece(10, 1)));
        ASSERT_TRUE(out.Commit()) << out.Reason();
        EXPECT_NE(std::find(g_dataSynced.begin(), g_dataSynced.end(), InodeOf(target)), g_dataSynced.end()) << inPlace;
    }
}

TEST(OutputFile, TargetsThatAreNotPlainFiles)
{
    TempDir dir;
    std::string reason;
    // Regression: a named pipe given as output was replaced by a regular file.
    const std::string pipe = dir.Path("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] {
        const int fd = ::open(pipe.c_str(), O_RDONLY);
        char buf[256];
        for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
            received.append(buf, static_cast<size_t>(n));
        ::close(fd);
    });
    const bool wrote = KVWriteFile(pipe, Bytes{'a', 'b', 'c'}, reason);
    reader.join();
    EXPECT_TRUE(wrote) << reason;
    EXPECT_EQ(received, "abc");
    struct stat st {};
    ASSERT_EQ(::lstat(pipe.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    // A device is written, not replaced, and its write error is reported.
    EXPECT_TRUE(KVWriteFile("/dev/null", Piece(1000, 1), reason)) << reason;
    EXPECT_FALSE(KVWriteFile("/dev/full", Piece(1000, 1), reason));
    EXPECT_EQ(reason, "no space left on device");

    EXPECT_FALSE(KVWriteFile(dir.Path(""), Bytes{1}, reason));
    EXPECT_EQ(reason, "is a directory");
    EXPECT_FALSE(KVWriteFile(dir.Path("missing/x"), Bytes{1}, reason));
    EXPECT_EQ(reason, "no such file or directory");
    fs::create_symlink("loop", dir.Path("loop"));
    EXPECT_FALSE(KVWriteFile(dir.Path("loop"), Bytes{1}, reason));
    EXPECT_EQ(reason, "too many levels of symbolic links");
    EXPECT_EQ(dir.Entries(), (Lines{"loop", "pipe"}));

    // Links are followed: the file they name is written and they stay links,
    // a dangling one included.
    fs::create_symlink("made", dir.Path("dangling"));
    ASSERT_TRUE(KVWriteFile(dir.Path("dangling"), Bytes{5}, reason)) << reason;
    EXPECT_TRUE(fs::is_symlink(dir.Path("dangling")));
    EXPECT_EQ(ReadAll(dir.Path("made")), Bytes{5});
}

TEST(OutputFile, HardLinkedFilesAreRewrittenInPlace)
{
    TempDir dir;
    const std::string a = dir.Path("a"), b = dir.Path("b");
    WriteAll(a, Piece(5000, 1));
    fs::create_hard_link(a, b);
    const ino_t inode = InodeOf(a);
    KVOutputFile out(a);
    ASSERT_TRUE(out.Open());
    EXPECT_EQ(out.GetWay(), KVOutputFile::Way::InPlace);
    ASSERT_TRUE(out.Write(Piece(10, 2)));
    EXPECT_EQ(ReadAll(b), Piece(5000, 1)); // nothing touched before Commit
    ASSERT_TRUE(out.Commit()) << out.Reason();
    EXPECT_EQ(ReadAll(b), Piece(10, 2)); // shorter: the old tail is cut
    EXPECT_EQ(InodeOf(a), inode);
    std::string reason;
    ASSERT_TRUE(KVWriteFile(b, Piece(9000, 3), reason)) << reason;
    EXPECT_EQ(ReadAll(a), Piece(9000, 3));
    EXPECT_EQ(dir.Entries(), (Lines{"a", "b"}));
}

TEST(OutputFile, WritableFileInAReadOnlyFolderIsRewrittenInPlace)
{
    TempDir dir;
    fs::create_directory(dir.Path("ro"));
    const std::string file = dir.Path("ro/f");
    WriteAll(file, Bytes{1});
    ::chmod(file.c_str(), 0666);
    ::chmod(dir.Path("ro").c_str(), 0555);
    // Run in a child that cannot create files there (an unprivileged user
    // when the tests run as root).
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && ::setuid(65534) != 0)
                std::_Exit(10);
            KVOutputFile out(file);
            if (!out.Open() || out.GetWay() != KVOutputFile::Way::InPlace)
                std::_Exit(11);
            std::_Exit(out.Write(Piece(3, 4)) && out.Commit() ? 0 : 12);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadAll(file), Piece(3, 4));
    ::chmod(dir.Path("ro").c_str(), 0755);
}

TEST(OutputFile, InterruptedOrExitingProgramLeavesNothingBehind)
{
    TempDir dir;
    const std::string target = dir.Path("t");
    WriteAll(target, Bytes{1, 2});
    const auto halfWritten = [&] {
        static KVOutputFile* out = new KVOutputFile(target); // never destroyed
        if (!out->Open() || !out->Write(Piece(200000, 9)))
            std::_Exit(20);
    };
    for (int sig : {SIGINT, SIGTERM}) {
        EXPECT_EXIT(
            {
                halfWritten();
                std::raise(sig);
                std::_Exit(21);
            },
            ::testing::KilledBySignal(sig), "");
        EXPECT_EQ(dir.Entries(), Lines{"t"}) << sig;
    }
    EXPECT_EXIT(
        {
            halfWritten();
            std::exit(3);
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(dir.Entries(), Lines{"t"});
    EXPECT_EQ(ReadAll(target), (Bytes{1, 2}));
}
