// The update check before any window, against the central list of published files and the
// local list of installed ones, with an updater beside the program or without one.
#include "session/update_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/scripted_shell.h"
#include "support/stores_fixture.h"

namespace {

constexpr const char* kQuestion = "提示: 检测到有文件需要更新, 现在更新吗?";

class UpdateCheckTest : public testing_support::StoresTest {
  protected:
    void SetUp() override {
        StoresTest::SetUp();
        program_dir_ = home_.path() / "program";
        std::filesystem::create_directories(program_dir_);
    }

    void PlaceUpdater() { std::ofstream(program_dir_ / "update") << "#!/bin/sh\n"; }
    void Publish(const std::string& name, const std::string& version, const std::string& del) {
        CentralExecute(
            "insert into zsv_update (FileId,FileName,FileVersion,FileUrl,FileDel) "
            "values (1,'" +
            name + "','" + version + "','http://127.0.0.1/f'," + del + ")");
    }
    void Install(const std::string& name, const std::string& version, const std::string& del) {
        LocalExecute("insert into qupdate (FileName,FileVersion,FileDel) values ('" + name + "','" +
                     version + "'," + del + ")");
    }

    std::filesystem::path program_dir_;
};

TEST_F(UpdateCheckTest, OffersTheUpdaterOnlyForFilesNotInstalled) {
    struct Case {
        const char* name;
        bool updater;
        std::vector<std::vector<std::string>> published;  // name, version, FileDel
        std::vector<std::vector<std::string>> installed;
        bool asked;
    };
    const std::vector<Case> cases = {
        {"no updater, newer file", false, {{"qitai", "1.8", "0"}}, {}, false},
        {"nothing published", true, {}, {{"qitai", "1.7", "0"}}, false},
        {"installed", true, {{"qitai", "1.7", "0"}}, {{"qitai", "1.7", "0"}}, false},
        {"other version", true, {{"qitai", "1.8", "0"}}, {{"qitai", "1.7", "0"}}, true},
        {"other deletion flag", true, {{"qitai", "1.7", "1"}}, {{"qitai", "1.7", "0"}}, true},
        {"NULL flag reads as 0", true, {{"qitai", "1.7", "NULL"}}, {{"qitai", "1.7", "0"}}, false},
        {"quote in a name",
         true,
         {{"o''brien.dll", "1", "0"}},
         {{"o''brien.dll", "1", "0"}},
         false},
        {"one of two missing", true, {{"a", "1", "0"}, {"b", "1", "0"}}, {{"a", "1", "0"}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(program_dir_ / "update");
        CentralExecute("delete from zsv_update");
        LocalExecute("delete from qupdate");
        if (c.updater) {
            PlaceUpdater();
        }
        for (const auto& p : c.published) {
            Publish(p[0], p[1], p[2]);
        }
        for (const auto& i : c.installed) {
            Install(i[0], i[1], i[2]);
        }
        shell_.ClearMessages();
        shell_.started_programs.clear();
        shell_.Answer(ui::Answer::No);
        EXPECT_FALSE(session::CheckForUpdate(program_dir_));
        EXPECT_EQ(!shell_.messages().empty(), c.asked);
        EXPECT_TRUE(shell_.started_programs.empty());
    }
}

TEST_F(UpdateCheckTest, YesStartsTheUpdaterAndEndsTheClient) {
    PlaceUpdater();
    Publish("qitai", "1.8", "0");
    shell_.Answer(ui::Answer::Yes);
    EXPECT_TRUE(session::CheckForUpdate(program_dir_));
    ASSERT_EQ(shell_.texts(), std::vector<std::string>{kQuestion});
    ASSERT_EQ(shell_.started_programs.size(), 1u);
    EXPECT_NE(shell_.started_programs[0].find((program_dir_ / "update").string()),
              std::string::npos);
}

TEST_F(UpdateCheckTest, AnUpdaterThatCannotStartIsReportedAndTheClientGoesOn) {
    PlaceUpdater();
    Publish("qitai", "1.8", "0");
    shell_.start_program_succeeds = false;
    shell_.Answer(ui::Answer::Yes);
    EXPECT_FALSE(session::CheckForUpdate(program_dir_));
    const auto texts = shell_.texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], kQuestion);
    EXPECT_NE(texts[1].find("无法启动更新程序"), std::string::npos);
}

}  // namespace
