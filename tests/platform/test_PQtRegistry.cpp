#include "platform/PQtRegistry.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

#include <sys/stat.h>

using namespace platform;

namespace {

std::string ReadAll(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().toStdString();
}

} // namespace

TEST(Registry, FileFollowsXdgConfigHome) {
    QTemporaryDir dir;
    const std::string old = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    setenv("XDG_CONFIG_HOME", dir.path().toUtf8().constData(), 1);
    EXPECT_EQ(SettingsFileName(kExplorerSettings),
              dir.path().toStdString() + "/Ombrelith/TessalundrixPro3.1.conf");
    {
        TRegistry reg(kViewerSettings);
        reg.WriteInteger("Left", 5);
        EXPECT_TRUE(reg.Flush());
    }
    EXPECT_TRUE(QFile::exists(dir.path() + "/Ombrelith/TXViewer3.1.conf"));
    unsetenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    EXPECT_EQ(SettingsFileName(kViewerSettings),
              std::string(home ? home : "") + "/.config/Ombrelith/TXViewer3.1.conf");
    if (!old.empty()) setenv("XDG_CONFIG_HOME", old.c_str(), 1);
}

TEST(Registry, ValuesKeepTheirTypeAcrossReopen) {
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/a/store.conf";
    const TBytes bin = {0x0a, 0x00, 0xff, 0x80, '\n', '%'};
    {
        TRegistry reg = TRegistry::AtFile(file);
        reg.WriteInteger("Left", -7);
        reg.WriteString("Number", "12"); // a string that looks like a number stays a string
        reg.WriteString("Text", "line\n\rwith % and = and [x]");
        ASSERT_TRUE(reg.OpenKey("Analyser/Report", true));
        reg.WriteBinary("Columns 0", bin);
        reg.WriteBool("Flag", true);
    }
    TRegistry reg = TRegistry::AtFile(file);
    EXPECT_EQ(reg.ReadInteger("Left").value, -7);
    EXPECT_EQ(reg.ReadString("Number").value, "12");
    EXPECT_EQ(reg.ReadInteger("Number").status, TRegStatus::WrongType);
    EXPECT_EQ(reg.ReadString("Text").value, "line\n\rwith % and = and [x]");
    EXPECT_EQ(reg.ReadInteger("Missing").status, TRegStatus::Missing);
    EXPECT_FALSE(reg.ValueExists("Columns 0")); // it lives in the sub-key
    ASSERT_TRUE(reg.OpenKey("Analyser\\Report", false));
    EXPECT_EQ(reg.CurrentKey(), "Analyser/Report");
    const TRegRead<TBytes> b = reg.ReadBinary("Columns 0");
    ASSERT_TRUE(b.Ok());
    EXPECT_EQ(b.value, bin);
    EXPECT_EQ(reg.DataSize("Columns 0"), 6);
    EXPECT_EQ(reg.DataSize("Nothing"), -1);
    EXPECT_EQ(reg.ReadString("Columns 0").status, TRegStatus::WrongType);
    EXPECT_EQ(reg.ReadInteger("Columns 0").status, TRegStatus::WrongType);
    EXPECT_TRUE(reg.ReadBool("Flag").value);
}

TEST(Registry, MissingKeysAreRefusedWithoutCreate) {
    QTemporaryDir dir;
    TRegistry reg = TRegistry::AtFile(dir.path().toStdString() + "/s.conf");
    EXPECT_FALSE(reg.OpenKey("", false)); // nothing stored yet
    EXPECT_FALSE(reg.OpenKey("FileLister", false));
    ASSERT_TRUE(reg.OpenKey("FileLister", true));
    reg.WriteInteger("Width", 3);
    EXPECT_TRUE(reg.KeyExists("FileLister"));
    EXPECT_TRUE(reg.KeyExists(""));
    EXPECT_FALSE(reg.KeyExists("File")); // a prefix of a name is no key
    reg.DeleteKey("FileLister");
    EXPECT_FALSE(reg.KeyExists("FileLister"));
}

TEST(Registry, HandEditedValuesReadAsWrongTypeNotLost) {
    QTemporaryDir dir;
    const QString file = dir.path() + "/h.conf";
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Left=i:notanumber\nTop=17\nGood=i:4\n[Export]\nSep=s:%2C\n");
    f.close();
    TRegistry reg = TRegistry::AtFile(file.toStdString());
    EXPECT_EQ(reg.ReadInteger("Left").status, TRegStatus::WrongType);
    EXPECT_EQ(reg.ReadInteger("Top").status, TRegStatus::WrongType);
    EXPECT_EQ(reg.ReadInteger("Good").value, 4);
    ASSERT_TRUE(reg.OpenKey("Export", false));
    EXPECT_EQ(reg.ReadString("Sep").value, ",");
}

TEST(Registry, WriteReplacesTheFileAndLeavesNoTemporary) {
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/r.conf";
    {
        TRegistry reg = TRegistry::AtFile(file);
        reg.WriteString("A", "first");
    }
    struct stat before {
    }, after{};
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    {
        TRegistry reg = TRegistry::AtFile(file);
        reg.WriteString("A", "second");
        reg.DeleteValue("Nothing");
        EXPECT_TRUE(reg.Flush());
    }
    EXPECT_EQ(ReadAll(file), "A=s:second\n");
    // A new file was renamed over the old one, never rewritten in place.
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"r.conf"});
}

TEST(Registry, UnwritableFolderReportsFailure) {
    TRegistry reg = TRegistry::AtFile("/proc/no/such/place/x.conf");
    reg.WriteInteger("A", 1);
    EXPECT_FALSE(reg.Flush());
}
