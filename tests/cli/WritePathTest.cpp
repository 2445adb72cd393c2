// SPDX-License-Identifier: MIT
// Where the tool's output goes and what a failure leaves: full disks, missing and read-only
// folders, signals, kept permissions, symlinks, standard output and FIFOs. Everything happens in
// the test's own scratch folder.

#include "cli/ToolFixture.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>
#include <regex>
#include <thread>

#include <spawn.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using ToolTest::Result;
using ToolTest::Tool;

// Text deflate cannot shrink much, so the EPUB is about as large as `bytes`.
std::string BigDocument(size_t bytes, size_t stories = 1) {
    std::mt19937 random(7);
    std::string json = R"({"stories": [)";
    for (size_t s = 0; s < stories; ++s) {
        json += (s ? "," : "") + std::string(R"({"file": "sub/s)") + std::to_string(s) +
                R"(.xhtml", "paragraphs": [)";
        for (size_t p = 0; p < bytes / stories / 100; ++p) {
            json += p ? ",\"" : "\"";
            for (int i = 0; i < 100; ++i)
                json += static_cast<char>('a' + random() % 26);
            json += '"';
        }
        json += "]}";
    }
    return json + "]}";
}

// A small file system of its own for the test, when the test may mount one.
class Mount {
public:
    Mount(const std::string& where, const char* options) : where_(where) {
        fs::create_directories(where);
        mounted_ = ::geteuid() == 0 && ::mount("tmpfs", where.c_str(), "tmpfs", 0, options) == 0;
    }
    ~Mount() {
        if (mounted_)
            ::umount2(where_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }

private:
    std::string where_;
    bool mounted_ = false;
};

std::vector<std::string> FilesUnder(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (!entry.is_directory())
            files.push_back(entry.path().lexically_relative(folder).string());
    std::sort(files.begin(), files.end());
    return files;
}

class WritePath : public Tool {
protected:
    std::string Input(const std::string& json) { return Write("in.json", json); }
    std::string Quote(const std::string& path) { return "'" + path + "'"; }
};

TEST_F(WritePath, AFullDiskFailsAndLeavesNothingBehind) {
    const std::string disk = dir_ / "disk";
    const Mount mount(disk, "size=64k");
    if (!mount.Mounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    const std::string input = Input(BigDocument(400000));
    const std::string output = disk + "/out.epub";
    std::ofstream(output) << "previous";
    Result r = Run(Quote(input) + " -o " + Quote(output));
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find(output), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
    EXPECT_EQ(Read(output), "previous");
    EXPECT_EQ(FilesUnder(disk), std::vector<std::string>{"out.epub"});

    fs::remove(output);
    r = Run(Quote(input) + " --html " + Quote(disk + "/site"));
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
    EXPECT_EQ(FilesUnder(disk), std::vector<std::string>{}) << "no empty or partial files";
}

TEST_F(WritePath, MissingAndReadOnlyFoldersAreReportedWithTheSystemsReason) {
    const std::string input = Input(R"({"stories": [{"file": "a.xhtml", "paragraphs": ["x"]}]})");
    const std::string missing = dir_ / "no/such/out.epub";
    Result r = Run(Quote(input) + " -o " + Quote(missing));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(missing), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;

    // Root ignores permissions, so it gets a read-only file system instead.
    const std::string locked = dir_ / "locked";
    const Mount mount(locked, "size=64k");
    if (mount.Mounted())
        ASSERT_EQ(::mount("tmpfs", locked.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr), 0);
    else
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    r = Run(Quote(input) + " -o " + Quote(locked + "/out.epub"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(locked + "/out.epub"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(mount.Mounted() ? "Read-only file system" : "Permission denied"),
              std::string::npos)
        << r.err;
}

// Temporary files under `folder`, the hidden `.NAME.PID.tmp` the tool writes before renaming.
std::vector<std::string> TemporariesUnder(const fs::path& folder) {
    std::vector<std::string> found;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error))
        if (it->path().filename().string().ends_with(".tmp"))
            found.push_back(it->path().string());
    return found;
}

// Starts the tool on `args` and returns once it has `wanted` temporary files under `folder`.
pid_t StartWriting(std::vector<std::string> args, const fs::path& folder, size_t wanted) {
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (TemporariesUnder(folder).size() < wanted && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return pid;
}

TEST_F(WritePath, InterruptionRemovesTheTemporaryFiles) {
    const std::string input = Input(BigDocument(3000000, 300));
    const std::string output = dir_ / "out.epub";
    const std::string site = dir_ / "site";
    fs::create_directories(site + "/sub");
    for (const bool html : {false, true}) {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            SCOPED_TRACE(std::string(html ? "--html, " : "-o, ") + strsignal(signal));
            // What a previous export left, which an interrupted one must not touch.
            std::ofstream(output) << "previous";
            std::ofstream(site + "/sub/s1.xhtml") << "previous";
            // Several files at once for --html, so the cleanup has more than one to remove.
            const pid_t pid =
                StartWriting({EPUBEXPORT_PATH, input, html ? "--html" : "-o", html ? site : output},
                             dir_ / ".", html ? 3 : 1);
            ASSERT_GT(pid, 0);
            ::kill(pid, signal);
            int status = 0;
            ::waitpid(pid, &status, 0);
            if (!WIFSIGNALED(status))
                GTEST_SKIP() << "the export finished before the signal arrived";
            EXPECT_EQ(WTERMSIG(status), signal);
            EXPECT_EQ(TemporariesUnder(dir_ / "."), std::vector<std::string>{});
            EXPECT_EQ(Read(output), "previous");
            EXPECT_EQ(Read(site + "/sub/s1.xhtml"), "previous");
        }
    }
}

// nohup and background jobs ignore SIGHUP or SIGINT: the export goes on to the end.
TEST_F(WritePath, AnIgnoredSignalStaysIgnored) {
    const std::string input = Input(BigDocument(3000000, 300));
    const std::string output = dir_ / "out.epub";
    const pid_t pid = StartWriting({"/bin/sh", "-c", "trap '' HUP INT; exec \"$0\" \"$@\"",
                                    EPUBEXPORT_PATH, input, "-o", output},
                                   dir_ / ".", 1);
    ASSERT_GT(pid, 0);
    ::kill(pid, SIGHUP);
    ::kill(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Entries(output).count("OEBPS/sub/s299.xhtml"), 1u);
}

TEST_F(WritePath, AReplacedFileKeepsItsModeAndTheInputIsNeverTheOutput) {
    const std::string input = Input(R"({"stories": [{"file": "a.xhtml", "paragraphs": ["x"]}]})");
    const std::string output = dir_ / "out.epub";
    std::ofstream(output) << "previous";
    fs::permissions(output, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(Run(Quote(input) + " -o " + Quote(output)).status, 0);
    EXPECT_EQ(fs::status(output).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Read(output).substr(0, 2), "PK");

    const std::string original = Read(input);
    fs::create_symlink(input, dir_ / "alias.json");
    for (const std::string& target : {input, std::string(dir_ / "alias.json")}) {
        const Result r = Run(Quote(input) + " -o " + Quote(target));
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("is the input file"), std::string::npos) << r.err;
        EXPECT_EQ(Read(input), original);
    }
}

TEST_F(WritePath, ASymlinkLeadsToTheFileThatIsReplaced) {
    const std::string input = Input(R"({"stories": [{"file": "a.xhtml", "paragraphs": ["x"]}]})");
    fs::create_directories(dir_ / "real");
    const std::string target = dir_ / "real/book.epub";
    std::ofstream(target) << "previous";
    fs::create_symlink("real/book.epub", dir_ / "link.epub");
    fs::create_symlink("real/new.epub", dir_ / "dangling.epub");
    for (const char* link : {"link.epub", "dangling.epub"}) {
        SCOPED_TRACE(link);
        const Result r = Run(Quote(input) + " -o " + Quote(dir_ / link));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(fs::is_symlink(dir_ / link));
        const auto entries = Entries(dir_ / link);
        EXPECT_EQ(entries.count("OEBPS/a.xhtml"), 1u);
    }
    EXPECT_EQ(FilesUnder(dir_ / "real").size(), 2u); // book.epub and new.epub, no temporary

    // A loop has no file at its end: refused, and both links stay as they were.
    fs::create_symlink("loop-b.epub", dir_ / "loop-a.epub");
    fs::create_symlink("loop-a.epub", dir_ / "loop-b.epub");
    const Result r = Run(Quote(input) + " -o " + Quote(dir_ / "loop-a.epub"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Too many levels of symbolic links"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir_ / "loop-a.epub"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "loop-b.epub"));
}

TEST_F(WritePath, StandardOutputAndFifosAreWrittenInPlace) {
    const std::string input = Input(BigDocument(200000, 3));
    // Standard output, through a pipe.
    EXPECT_EQ(ExportPiped(input, dir_ / "piped.epub"), 0);
    auto entries = Entries(dir_ / "piped.epub");
    EXPECT_EQ(entries.count("OEBPS/sub/s2.xhtml"), 1u);
    EXPECT_EQ(FoundationTest::ReadZip(dir_ / "piped.epub").front().name, "mimetype");

    // A FIFO, read as the tool writes; then through a symlink, as /dev/stdout is one.
    const std::string fifo = dir_ / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("fifo", dir_ / "link");
    for (const char* name : {"fifo", "link"}) {
        SCOPED_TRACE(name);
        std::string fromFifo;
        std::thread reader([&] {
            std::ifstream in(fifo, std::ios::binary);
            std::ostringstream all;
            all << in.rdbuf();
            fromFifo = all.str();
        });
        const Result r = Run(Quote(input) + " -o " + Quote(dir_ / name));
        reader.join();
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(fs::is_fifo(fifo));
        EXPECT_TRUE(fs::is_symlink(dir_ / "link"));
        std::ofstream(dir_ / "fifo.epub", std::ios::binary) << fromFifo;
        const auto fromFifoEntries = Entries(dir_ / "fifo.epub");
        ASSERT_EQ(fromFifoEntries.size(), entries.size());
        EXPECT_EQ(fromFifoEntries.at("OEBPS/sub/s1.xhtml"), entries.at("OEBPS/sub/s1.xhtml"));
    }
    for (const auto& name : FilesUnder(dir_ / "."))
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

// What the tool asked of the system, as strace saw it: open, sync and rename calls in order.
struct SyncTrace {
    std::vector<std::string> calls;
    // The descriptor a successful open of a path ending in `suffix` returned, from `from` on.
    std::string FdOf(const std::string& suffix, size_t from = 0) const {
        const std::regex open(R"re(openat\([^,]+, "([^"]*)".*\) = (\d+))re");
        std::smatch m;
        for (size_t i = from; i < calls.size(); ++i)
            if (std::regex_search(calls[i], m, open) && m[1].str().ends_with(suffix))
                return m[2];
        return {};
    }
    // Index of the first call holding `text`, from `from` on; npos when there is none.
    size_t Find(const std::string& text, size_t from = 0) const {
        for (size_t i = from; i < calls.size(); ++i)
            if (calls[i].find(text) != std::string::npos)
                return i;
        return std::string::npos;
    }
};

TEST_F(WritePath, FilesAreSyncedBeforeTheRenameAndFoldersAfter) {
    if (std::system("strace -V >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs strace";
    const std::string input = Input(R"({"stories": [{"file": "a.xhtml", "paragraphs": ["x"]},
        {"file": "sub/b.xhtml", "paragraphs": ["y"]}]})");
    const auto traced = [&](const std::string& args) {
        const std::string log = dir_ / "trace.txt";
        // The leak checker of a sanitizer build cannot run under ptrace.
        const Result r =
            Run(Quote(input) + " " + args, "ASAN_OPTIONS=detect_leaks=0 strace -f -qq -e "
                                           "trace=openat,fsync,rename,renameat,renameat2 -o " +
                                               Quote(log) + " ");
        SyncTrace trace;
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);)
            trace.calls.push_back(line);
        return std::make_pair(r, trace);
    };
    {
        const auto [r, trace] = traced("-o " + Quote(dir_ / "out.epub"));
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string fd = trace.FdOf(".tmp");
        ASSERT_FALSE(fd.empty()) << "no temporary file was opened";
        const size_t rename = trace.Find("out.epub\")");
        ASSERT_NE(rename, std::string::npos);
        EXPECT_LT(trace.Find("fsync(" + fd + ")"), rename);
        const std::string folder = trace.FdOf(fs::path(dir_ / "x").parent_path(), rename);
        EXPECT_NE(trace.Find("fsync(" + folder + ")", rename), std::string::npos);
    }
    {
        const auto [r, trace] = traced("--html " + Quote(dir_ / "site"));
        ASSERT_EQ(r.status, 0) << r.err;
        const size_t rename = trace.Find("sub/b.xhtml\")");
        ASSERT_NE(rename, std::string::npos);
        EXPECT_LT(trace.Find("fsync("), trace.Find("rename"));
        const std::string folder = trace.FdOf("site/sub", rename);
        ASSERT_FALSE(folder.empty()) << "the subfolder was never opened after the renames";
        EXPECT_NE(trace.Find("fsync(" + folder + ")", rename), std::string::npos);
    }
}

// A device node of the test's own, standing for the null device.
TEST_F(WritePath, ACharacterDeviceIsWrittenInPlace) {
    const std::string device = dir_ / "null";
    if (::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0)
        GTEST_SKIP() << "needs root to make a device node";
    const std::string input = Input(R"({"stories": [{"file": "a.xhtml", "paragraphs": ["x"]}]})");
    const Result r = Run(Quote(input) + " -o " + Quote(device));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_character_file(device));
    EXPECT_EQ(FilesUnder(dir_ / "."), (std::vector<std::string>{"in.json", "null", "stderr.txt"}));
}

TEST_F(WritePath, HtmlModeWritesSubfoldersWithRelativeLinks) {
    const std::string input = Input(R"({"stories": [
        {"file": "a.xhtml", "paragraphs": [{"runs": ["to ", {"crossReference": "b"}]}]},
        {"file": "sub/b.xhtml", "paragraphs": [{"anchor": "b", "text": "here"}]}]})");
    const std::string site = dir_ / "site";
    const Result r = Run(Quote(input) + " --html " + Quote(site));
    ASSERT_EQ(r.status, 0) << r.err;
    pugi::xml_document a, b;
    ASSERT_TRUE(Parse(a, Read(site + "/a.xhtml")));
    ASSERT_TRUE(Parse(b, Read(site + "/sub/b.xhtml")));
    const std::string css = b.select_node("//link").node().attribute("href").value();
    EXPECT_EQ(css, "../styles.css");
    EXPECT_TRUE(fs::exists(site + "/sub/" + css));
    const std::string href = a.select_node("//a[@href]").node().attribute("href").value();
    ASSERT_EQ(href.substr(0, href.find('#')), "sub/b.xhtml");
    EXPECT_TRUE(b.select_node(("//*[@id='" + href.substr(href.find('#') + 1) + "']").c_str()));
    for (const auto& name : FilesUnder(site))
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

} // namespace
