// Find in Files below the window: the walker's order, patterns, links and loops, what is
// skipped and why, open scripts searched in their editor text, and lines and columns of matches.
#include "search/foldersearch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class FolderSearchTest : public testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/foldersearch-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        m_root = name;
    }
    void TearDown() override { fs::remove_all(m_root); }

    std::string Path(const std::string &name) const { return m_root + "/" + name; }
    void Write(const std::string &name, const std::string &text) const
    {
        fs::create_directories(fs::path(Path(name)).parent_path());
        std::ofstream(Path(name), std::ios::binary) << text;
    }

    FolderSearchSummary Search(const std::string &needle, std::vector<std::string> patterns = {"*.lua"},
                               std::map<FileIdentity, std::string> openTexts = {})
    {
        FolderSearchRequest request = m_request;
        request.folder = m_root;
        request.patterns = std::move(patterns);
        request.needle = needle;
        request.options = {false, true};
        request.openTexts = std::move(openTexts);
        found.clear();
        return SearchFolder(request, [this](FileMatches &&file) { found.push_back(std::move(file)); }, m_stop);
    }

    std::vector<std::string> FoundPaths() const
    {
        std::vector<std::string> paths;
        for (const FileMatches &file : found)
            paths.push_back(file.path.substr(m_root.size() + 1));
        return paths;
    }

    std::string m_root;
    FolderSearchRequest m_request; // the fields Search does not set
    std::atomic<bool> m_stop{false};
    std::vector<FileMatches> found;
};

TEST_F(FolderSearchTest, FilesInPathOrderWithPatternsAndWholeWords)
{
    Write("b.lua", "tg_addwell(1)\n");
    Write("a.lua", "x = 1\ntg_addwell(2) tg_addwell(3)\n");
    Write("notes.txt", "tg_addwell\n");
    Write("sub/c.lua", "TG_ADDWELL(4)\n");
    Write("sub/d.lua", "tg_addwells(5)\n"); // not the whole word
    Write("a/z.lua", "tg_addwell(6)\n");    // "a/z.lua" sorts after "a.lua"
    const FolderSearchSummary summary = Search("tg_addwell");
    EXPECT_EQ(FoundPaths(), (std::vector<std::string>{"a.lua", "a/z.lua", "b.lua", "sub/c.lua"}));
    EXPECT_EQ(summary.filesSearched, 5u);
    EXPECT_EQ(summary.filesWithMatches, 4u);
    EXPECT_EQ(summary.matches, 5u);
    EXPECT_EQ(summary.Skipped(), 0u);
    ASSERT_EQ(found[0].matches.size(), 2u);
    EXPECT_EQ(found[0].matches[1].line, 2);
    EXPECT_EQ(found[0].matches[1].column, 15);
    EXPECT_EQ(found[0].matches[1].text, "tg_addwell(2) tg_addwell(3)");
    EXPECT_EQ(found[0].matches[1].start, 14u);

    Search("tg_addwell", FileWalker::SplitPatterns(" *.txt ; sub/*;*.none;"));
    EXPECT_EQ(FoundPaths(), (std::vector<std::string>{"notes.txt"}));
    Search("tg_addwell", {});
    EXPECT_EQ(found.size(), 5u); // every file
}

TEST_F(FolderSearchTest, SkipsBinaryLoopsDeadLinksAndPipesAndSaysWhy)
{
    Write("plain.lua", "well\n");
    Write("binary.lua", std::string("well\0", 5) + "well\n");
    Write("late/binary.lua", std::string(9000, 'x') + std::string("\0well\n", 6)); // NUL after 8 KB: text
    ASSERT_EQ(symlink("..", Path("late/up").c_str()), 0);            // back into the search
    ASSERT_EQ(symlink("nowhere.lua", Path("dead.lua").c_str()), 0);  // leads nowhere
    ASSERT_EQ(mkfifo(Path("pipe.lua").c_str(), 0600), 0);            // would never end if read
    const FolderSearchSummary summary = Search("well");
    EXPECT_EQ(FoundPaths(), (std::vector<std::string>{"late/binary.lua", "plain.lua"}));
    EXPECT_EQ(summary.binary, 1u);
    EXPECT_EQ(summary.loops, 1u);
    EXPECT_EQ(summary.unreadable, 1u);
    EXPECT_EQ(summary.Skipped(), 3u);
}

TEST_F(FolderSearchTest, LinkedFolderOutsideIsSearchedOnce)
{
    Write("in/a.lua", "well\n");
    ASSERT_EQ(symlink(Path("in").c_str(), Path("again").c_str()), 0); // "again" sorts first
    const FolderSearchSummary summary = Search("well");
    EXPECT_EQ(FoundPaths(), (std::vector<std::string>{"again/a.lua"}));
    EXPECT_EQ(summary.loops, 1u);
}

TEST_F(FolderSearchTest, UnreadableFolderIsSkipped)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    Write("closed/a.lua", "well\n");
    Write("open.lua", "well\n");
    chmod(Path("closed").c_str(), 0);
    const FolderSearchSummary summary = Search("well");
    chmod(Path("closed").c_str(), 0700);
    EXPECT_EQ(FoundPaths(), (std::vector<std::string>{"open.lua"}));
    EXPECT_EQ(summary.unreadable, 1u);
}

TEST_F(FolderSearchTest, OpenScriptIsSearchedInItsEditorText)
{
    Write("open.lua", "well\n");
    Write("other.lua", "well\n");
    struct stat info {};
    ASSERT_EQ(stat(Path("open.lua").c_str(), &info), 0);
    Search("well", {"*.lua"}, {{FileIdentity{info.st_dev, info.st_ino}, "-- unsaved\nx = 1\nwell = 2\n"}});
    ASSERT_EQ(FoundPaths(), (std::vector<std::string>{"open.lua", "other.lua"}));
    EXPECT_TRUE(found[0].fromEditor);
    EXPECT_EQ(found[0].matches.at(0).line, 3);
    EXPECT_FALSE(found[1].fromEditor);
}

TEST_F(FolderSearchTest, StopEndsTheSearch)
{
    Write("a.lua", "well\n");
    m_stop = true;
    const FolderSearchSummary summary = Search("well");
    EXPECT_TRUE(summary.stopped);
    EXPECT_TRUE(found.empty());
}

TEST(LineMatcher, LinesAndColumnsAcrossLineEndsAndCharacters)
{
    const std::string text = "a\r\n\xc3\xa9t\xc3\xa9 well\r\n\nwell";
    const std::vector<LineMatch> matches = FindLineMatches(text, TextSearch("well", {}), 100);
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0].line, 2);
    EXPECT_EQ(matches[0].column, 5); // three characters of five bytes, a blank
    EXPECT_EQ(matches[0].text, "\xc3\xa9t\xc3\xa9 well");
    EXPECT_EQ(matches[1].line, 4);
    EXPECT_EQ(matches[1].column, 1);
    EXPECT_EQ(FindLineMatches(text, TextSearch("well", {}), 1).size(), 1u);
}

TEST(LineMatcher, LongLineShowsAWindowAroundTheMatch)
{
    const std::string text = std::string(100000, 'x') + " well " + std::string(100000, 'y');
    const std::vector<LineMatch> matches = FindLineMatches(text, TextSearch("well", {false, true}), 10);
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].column, 100002);
    EXPECT_LE(matches[0].text.size(), 400u);
    EXPECT_EQ(matches[0].text.substr(matches[0].start, 4), "well");
}

} // namespace

TEST_F(FolderSearchTest, HiddenAndExcludedFoldersArePassedOverUnlessAsked)
{
    Write("a.lua", "well = 1\n");
    Write(".git/b.lua", "well = 2\n");
    Write("sub/.cache/c.lua", "well = 3\n");
    Write("state/recovery/d.lua", "well = 4\n");
    Write(".e.lua", "well = 5\n"); // a hidden file is no folder: searched
    m_request.excludedFolders = {Path("state/recovery")};
    FolderSearchSummary summary = Search("well");
    EXPECT_EQ(FoundPaths(), (std::vector<std::string>{".e.lua", "a.lua"}));
    EXPECT_EQ(summary.hiddenFolders, 2u);
    m_request.hiddenFolders = true;
    summary = Search("well");
    EXPECT_EQ(FoundPaths(), (std::vector<std::string>{".e.lua", ".git/b.lua", "a.lua", "sub/.cache/c.lua"}));
    EXPECT_EQ(summary.hiddenFolders, 0u);
}

TEST_F(FolderSearchTest, FileWithMoreMatchesThanListedSaysSo)
{
    Write("many.lua", "well\nwell\nwell\nwell\n");
    Write("few.lua", "well\n");
    m_request.mostMatchesPerFile = 3;
    FolderSearchSummary summary = Search("well");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_FALSE(found[0].cut); // few.lua
    EXPECT_TRUE(found[1].cut);
    EXPECT_EQ(found[1].matches.size(), 3u);
    EXPECT_EQ(summary.filesCut, 1u);
    EXPECT_EQ(summary.matches, 4u);
    Write("many.lua", "well\nwell\nwell\n"); // exactly as many: not cut
    summary = Search("well");
    EXPECT_EQ(summary.filesCut, 0u);
}
