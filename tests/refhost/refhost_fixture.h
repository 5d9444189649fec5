#pragma once
// A database made by init_database in a temporary folder, a connection to fill it, and a
// front end that records what the host shows and answers as the test says.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "refhost/database.h"
#include "refhost/host_ui.h"
#include "temp_dir.h"

namespace refhost_test {

struct RecordingUi final : refhost::HostUi {
    std::int16_t ShowMessage(std::int32_t code, std::int32_t kind, const std::string& text,
                             const std::string& detail, const std::string& caption,
                             std::int32_t default_button) override {
        calls.push_back("Message(" + std::to_string(code) + "," + std::to_string(kind) + "," + text + "," +
                        detail + "," + caption + "," + std::to_string(default_button) + ")");
        return message_answer;
    }
    std::int32_t ShowError(const std::string& caption, const std::string& procedure,
                           const host::ErrorInfo& error,
                           const ado::ProviderErrors& provider_errors) override {
        calls.push_back("Error(" + caption + "," + procedure + "," + error.description + "," +
                        std::to_string(provider_errors.size()) + ")");
        return error_answer;
    }
    void ShowNotice(const std::string& message, const std::string& title) override {
        calls.push_back("Notice(" + message + "," + title + ")");
    }
    std::vector<std::string> calls;
    std::int16_t message_answer = 1;
    std::int32_t error_answer = 3;
};

class DatabaseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        refhost::init_database(db_path());
        conn_.Open(refhost::connection_string(db_path()));
    }
    std::filesystem::path db_path() const { return dir_.path() / "books.db"; }
    void exec(const std::string& sql) { conn_.Execute(sql); }

    scripted::TempDir dir_;
    ado::Connection conn_;
};

}  // namespace refhost_test
