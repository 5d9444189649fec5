#pragma once
// The demo's books in a temporary folder with the members' files beside them, and the
// import window opened on them in a desktop front end whose boxes are answered here:
// questions yes, trapped errors abort, each box recorded.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ado/datetime.h"
#include "demo/demo_data.h"
#include "demo/demo_database.h"
#include "demo/member_file.h"
#include "front_end.h"
#include "import_view.h"
#include "module/import_window.h"
#include "refhost/database.h"
#include "session.h"
#include "temp_dir.h"

namespace gui_test {

inline constexpr int kEntries = 12;

class GuiFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        year_ = ado::DateTime::today().year();
        db_ = dir_ / "books.db";
        refhost::init_database(db_);
        demo::populate_database(db_, year_);
        front_end_ = std::make_shared<gui::FrontEnd>();
        front_end_->set_answerer([this](const gui::Box& box) { return answer(box); });
        session_ = std::make_unique<gui::Session>(
            gui::GuiOptions{db_, demo::group().company_code, demo::kDemoUser}, front_end_);
        view_ = std::make_unique<gui::ImportView>(*session_, *front_end_);
        view_->show();
        QApplication::setActiveWindow(view_.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view_.get()));
    }

    void TearDown() override {
        view_.reset();
        session_.reset();
    }

    // The member's export file, written once per test.
    std::filesystem::path member_file(std::size_t member) {
        demo::MemberFileOptions options;
        options.entries = kEntries;
        options.year = year_;
        const std::filesystem::path path =
            dir_ / (file_stem(demo::members().at(member)) + "-" + std::to_string(year_) + ".xml");
        std::ofstream(path, std::ios::binary) << demo::member_file_xml(demo::members().at(member), options);
        return path;
    }

    // "alfa" for "Alfa Commerciale S.r.l.", as the demo names its files.
    static std::string file_stem(const demo::Member& member) {
        std::string stem;
        for (char c : member.name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) break;
            stem += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return stem;
    }

    // Types the path into the box as a person would and confirms it with Enter.
    void type_path(const std::string& path) {
        QLineEdit* edit = view_->path_edit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, QString::fromStdString(path));
        QTest::keyClick(edit, Qt::Key_Return);
    }

    static void click(QToolBar* toolbar, QAction* action) {
        auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(action));
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // The string-table ids of the module's messages shown so far.
    std::vector<std::int32_t> message_codes() const {
        std::vector<std::int32_t> codes;
        for (const auto& shown : front_end_->boxes())
            if (shown.box.code != 0) codes.push_back(shown.box.code);
        return codes;
    }

    bool shown(std::int32_t code) const {
        for (std::int32_t c : message_codes())
            if (c == code) return true;
        return false;
    }

    // Trapped errors shown so far (boxes with abort/retry/ignore).
    int errors_shown() const {
        int errors = 0;
        for (const auto& shown : front_end_->boxes())
            if (shown.box.buttons.size() == 3 && shown.box.buttons[0] == gui::kBoxAbort) ++errors;
        return errors;
    }

    // Saves a picture of the widget: in $LEDGERINTAKE_SCREENSHOTS when set, else here.
    void screenshot(QWidget& widget, const std::string& name) {
        const char* folder = std::getenv("LEDGERINTAKE_SCREENSHOTS");
        const std::filesystem::path where =
            (folder != nullptr && *folder != '\0') ? std::filesystem::path(folder) : dir_.path();
        std::filesystem::create_directories(where);
        const std::filesystem::path file = where / name;
        EXPECT_TRUE(widget.grab().save(QString::fromStdString(file.string()), "PNG")) << file;
    }

    module::ImportWindow& window() { return session_->window(); }

    scripted::TempDir dir_;
    int year_ = 0;
    std::filesystem::path db_;
    std::shared_ptr<gui::FrontEnd> front_end_;
    std::unique_ptr<gui::Session> session_;
    std::unique_ptr<gui::ImportView> view_;

  private:
    std::int32_t answer(const gui::Box& box) {
        for (std::int32_t b : box.buttons)
            if (b == gui::kBoxYes) return gui::kBoxYes;
        return box.buttons.empty() ? gui::kBoxOk : box.buttons.front();
    }
};

}  // namespace gui_test
