// Saving a file through a new file beside it: the new content replaces the old one whole, and a failure at
// any step (the new file cannot be made, a write fails for lack of room, the replacement is refused)
// leaves the old file exactly as it was and no new file behind. The fake desktop stands in for the
// replacement step; the files are real, in a fresh directory.
#include "app/file_replace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fake/fake_desktop.h"

namespace vantor {
namespace {

class RefusingDesktop : public fake::FakeDesktop {
  public:
    bool replaceFile(const char* source, const char* target) override {
        return refuse ? false : FakeDesktop::replaceFile(source, target);
    }
    bool refuse = false;
};

class FileReplace : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop.install();
        char pattern[] = "/tmp/vantor-save-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        path = dir + "/report.txt";
    }
    void TearDown() override {
        for (const std::string& name : files())
            std::remove((dir + "/" + name).c_str());
        rmdir(dir.c_str());
    }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        if (DIR* d = opendir(dir.c_str())) {
            while (dirent* e = readdir(d)) {
                const std::string name = e->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            closedir(d);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static void write(const std::string& p, const std::string& text) {
        std::FILE* f = std::fopen(p.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    static std::string read(const std::string& p) {
        std::string text;
        std::FILE* f = std::fopen(p.c_str(), "rb");
        if (f == nullptr) return "<none>";
        char buf[4096];
        std::size_t n = 0;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            text.append(buf, n);
        std::fclose(f);
        return text;
    }

    RefusingDesktop desktop;
    std::string dir;
    std::string path;
};

TEST_F(FileReplace, NewContentReplacesALongerFileWhole) {
    write(path, std::string(5000, 'o'));
    const std::string text = "\x82\xa0 report\r\nline 2\r\n";
    EXPECT_TRUE(replaceFileContents(path.c_str(), text.data(), text.size()));
    EXPECT_EQ(read(path), text);
    EXPECT_EQ(files(), std::vector<std::string>{"report.txt"});

    // An empty text gives an empty file; a new name gets a file of its own.
    EXPECT_TRUE(replaceFileContents(path.c_str(), "", 0));
    EXPECT_EQ(read(path), "");
    EXPECT_TRUE(replaceFileContents((dir + "/fresh.txt").c_str(), "abc", 3));
    EXPECT_EQ(read(dir + "/fresh.txt"), "abc");
    EXPECT_EQ(files(), (std::vector<std::string>{"fresh.txt", "report.txt"}));
}

TEST_F(FileReplace, RefusedReplacementLeavesTheOldFile) {
    write(path, "old text\r\n");
    desktop.refuse = true;
    EXPECT_FALSE(replaceFileContents(path.c_str(), "new", 3));
    EXPECT_EQ(read(path), "old text\r\n");
    EXPECT_EQ(files(), std::vector<std::string>{"report.txt"});
}

TEST_F(FileReplace, NewFileThatCannotBeMadeLeavesNothing) {
    const std::string missing = dir + "/no such folder/report.txt";
    EXPECT_FALSE(replaceFileContents(missing.c_str(), "new", 3));
    EXPECT_TRUE(files().empty());
    EXPECT_FALSE(replaceFileContents(nullptr, "new", 3));
    EXPECT_FALSE(replaceFileContents("", "new", 3));
}

TEST_F(FileReplace, FailedWriteIsReportedAndLeavesTheOldFile) {
    write(path, "old text\r\n");
    // A disk that is full after 4 KB: writes past the limit fail (EFBIG) instead of ending the process.
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string big(100000, 'n');
    const bool saved100k = replaceFileContents(path.c_str(), big.data(), big.size());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(saved100k);
    EXPECT_EQ(read(path), "old text\r\n");
    EXPECT_EQ(files(), std::vector<std::string>{"report.txt"});
}

TEST_F(FileReplace, AFileOfTheUsersBesideTheTargetIsNotTouched) {
    write(path, "old");
    write(path + ".vantor-new", "the user's own file");
    EXPECT_TRUE(replaceFileContents(path.c_str(), "new", 3));
    EXPECT_EQ(read(path), "new");
    EXPECT_EQ(read(path + ".vantor-new"), "the user's own file");
    EXPECT_EQ(files(), (std::vector<std::string>{"report.txt", "report.txt.vantor-new"}));
}

} // namespace
} // namespace vantor
