#pragma once
// The import window opened over a database with the schema for the bookkeeping procedures
// of the journal import: numbering requests handed out by the scripted host (the prepared
// ones first), the module connection's statements traced on demand, and the window's
// controls as the import header reads them.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ado/connection.h"
#include "ado/datetime.h"
#include "journal/bookkeeping.h"
#include "modulebase/module_context.h"
#include "verify_fixture.h"

namespace bookkeeping_test {

using Properties = std::vector<std::pair<std::string, ado::Variant>>;
using Lines = std::vector<std::string>;

class BookkeepingTest : public verify_test::VerifyFixture {
  protected:
    BookkeepingTest() {
        // Each request the module makes is the next prepared one, or a fresh one.
        host.components().numbering = [this] {
            std::shared_ptr<scripted::Numbering> request;
            if (prepared.empty()) {
                request = std::make_shared<scripted::Numbering>(host.calls);
            } else {
                request = prepared.front();
                prepared.pop_front();
            }
            made.push_back(request);
            return request;
        };
    }

    module::ImportWindow& window() {
        if (window_ == nullptr) {
            window_ = &open_with("");
            connection_string = window_->module_context().state().connection_string;
        }
        return *window_;
    }
    journal::Bookkeeping bookkeeping() { return journal::Bookkeeping(window()); }

    // Every statement the module connection runs from now on, as sent (before translation).
    void trace_statements() {
        window().module_context().state().connection->SetStatementTrace((dir / "trace.sql").string());
    }
    std::vector<std::string> traced() const {
        std::ifstream in(dir / "trace.sql", std::ios::binary);
        const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::string> statements;
        for (std::size_t pos = 0; pos < all.size();) {
            const std::size_t end = all.find("GO\r\n", pos);
            if (end == std::string::npos) break;
            const std::string chunk = all.substr(pos, end - pos);
            statements.push_back(chunk.substr(chunk.find("\r\n") + 2));  // after the time line
            pos = end + 4;
        }
        return statements;
    }

    // The window's controls as the header reads them.
    void fill_controls(const std::string& file_name) {
        module::ImportWindow& w = window();
        w.TXT_NOMEFILE.text = file_name;
        w.CHK_TABSEZ.value = 1;
        w.CHK_TABPDC.value = 0;
        w.CHK_TABCAU.value = 2;
        w.CHK_TABCODIVA.value = 0;
        w.CHK_CLIFOR.value = 1;
        w.CHK_ESTRATTI.value = 2;
        w.CHK_GESTCODID.value = 1;
        w.TXT_DADATA.text = "05/02/2024";
        w.TXT_ADATA.text = "";
        host.global->user_code = "MARIO";
    }

    std::deque<std::shared_ptr<scripted::Numbering>> prepared;
    std::vector<std::shared_ptr<scripted::Numbering>> made;
    std::string connection_string;

  private:
    module::ImportWindow* window_ = nullptr;
};

inline std::string today_compact() {
    return ado::DateTime::today().compact();
}

// "'YYYYMMDD HH:MM:SS'" with the given date and a time between `before` and `after`.
inline void expect_date_time_literal(const std::string& literal, const std::string& date,
                                     const ado::DateTime& before, const ado::DateTime& after) {
    ASSERT_EQ(literal.size(), 19u) << literal;
    EXPECT_EQ(literal.substr(0, 10), "'" + date + " ") << literal;
    EXPECT_EQ(literal.back(), '\'');
    const auto time = ado::DateTime::parse(date + literal.substr(9, 9));
    ASSERT_TRUE(time.has_value()) << literal;
    const int seconds = time->seconds_of_day();
    EXPECT_GE(seconds, before.seconds_of_day()) << literal;
    EXPECT_LE(seconds, after.seconds_of_day()) << literal;
}

}  // namespace bookkeeping_test
