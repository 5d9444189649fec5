#include <charconv>
#include <ostream>

#include "host/log_object.h"
#include "import_command.h"
#include "log/log_states.h"
#include "text_output.h"

namespace cli {

namespace {

// A log column as a JSON number when it holds a whole number, as text otherwise.
void number_or_text(JsonWriter& json, const std::string& text) {
    std::int64_t number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (!text.empty() && error == std::errc() && stop == end) {
        json.value(number);
    } else {
        json.value(text);
    }
}

const char* answer_text(std::int32_t answer) {
    switch (answer) {
        case host::kAnswerRetry:
            return "retry";
        case host::kAnswerIgnore:
            return "ignore";
        default:
            return "abort";
    }
}

long log_errors(const std::vector<LogRow>& log) {
    long n = 0;
    for (const auto& row : log) {
        try {
            if (!row.stato.empty() && importlog::is_error_state(std::stoi(row.stato))) ++n;
        } catch (const std::exception&) {
        }
    }
    return n;
}

void write_member(JsonWriter& json, const ImportReport& report) {
    json.key("member");
    if (!report.file_accepted) {
        json.null();
        return;
    }
    const FileSummary& s = report.summary;
    json.begin_object();
    json.field("code", s.member_code).field("name", s.member_name).field("fiscal_code", s.fiscal_code);
    json.field("vat_number", s.vat_number).field("group_registry_code", s.group_registry_code);
    json.field("exported_by_company", s.exported_by).field("exported_at", s.exported_at);
    json.field("export_user", s.export_user).field("from", s.from_date).field("to", s.to_date);
    json.end_object();
}

void write_counts(JsonWriter& json, const ImportReport& report) {
    json.key("counts").begin_object();
    if (report.file_accepted) {
        std::size_t i = 0;
        for (const auto& section : kSections) json.field(section.json_name, report.summary.counts.at(i++));
    }
    json.field("log_rows", static_cast<std::int64_t>(report.log.size()));
    json.field("log_errors", log_errors(report.log));
    json.end_object();
}

void write_messages(JsonWriter& json, const ImportReport& report) {
    json.key("messages").begin_array();
    for (const auto& m : report.messages) {
        json.begin_object();
        json.field("id", static_cast<std::int64_t>(m.code)).field("kind", static_cast<std::int64_t>(m.kind));
        json.field("text", m.text).field("answer", static_cast<std::int64_t>(m.answer));
        json.end_object();
    }
    json.end_array();
    json.key("errors").begin_array();
    for (const auto& e : report.errors) {
        json.begin_object();
        json.field("procedure", e.procedure).field("number", static_cast<std::int64_t>(e.number));
        json.field("description", e.description).field("answer", answer_text(e.answer));
        json.end_object();
    }
    json.end_array();
}

void write_log(JsonWriter& json, const ImportReport& report) {
    json.key("log").begin_array();
    for (const auto& row : report.log) {
        json.begin_object();
        number_or_text(json.key("progr"), row.progr);
        json.field("tabella", row.tabella);
        number_or_text(json.key("livello"), row.livello);
        number_or_text(json.key("stato"), row.stato);
        json.field("chiave", row.chiave).field("errore", row.errore);
        json.end_object();
    }
    json.end_array();
}

}  // namespace

void print_summary(const ImportReport& report, std::ostream& out) {
    const FileSummary& s = report.summary;
    out << "File accepted: " << report.file << '\n'
        << "  Member company: " << s.member_code << ' ' << s.member_name << " (fiscal code " << s.fiscal_code
        << ", VAT number " << s.vat_number << ")\n"
        << "  In the VAT group's structure as registry code " << s.group_registry_code << '\n'
        << "  Exported on " << s.exported_at << " by user " << s.export_user << " of company "
        << s.exported_by << '\n'
        << "  Movements from " << s.from_date << " to " << s.to_date << '\n'
        << "  Rows:";
    std::size_t i = 0;
    for (const auto& section : kSections) {
        out << (i == 0 ? " " : ", ") << s.counts.at(i) << ' ' << section.label;
        ++i;
    }
    out << '\n' << "  Tables transcoded by value:";
    const std::pair<bool, const char*> tables[] = {{s.sections, "sections"},
                                                   {s.accounts, "chart of accounts"},
                                                   {s.causals, "causals"},
                                                   {s.vat_codes, "VAT codes"}};
    bool any = false;
    for (const auto& [on, name] : tables) {
        if (!on) continue;
        out << (any ? ", " : " ") << name;
        any = true;
    }
    out << (any ? "\n" : " none\n");
}

std::string report_json(const ImportReport& report) {
    JsonWriter json;
    json.begin_object();
    json.field("status", report.status).field("file", report.file).field("path", report.path);
    json.key("message").begin_object();
    json.field("id", static_cast<std::int64_t>(report.message_id)).field("text", report.message_text);
    json.end_object();
    json.field("detail", report.detail).field("file_accepted", report.file_accepted);
    json.field("import_run", report.import_run);
    json.key("import_id");
    if (report.import_id > 0)
        json.value(static_cast<std::int64_t>(report.import_id));
    else
        json.null();
    write_member(json, report);
    write_counts(json, report);
    write_messages(json, report);
    write_log(json, report);
    json.end_object();
    return json.text();
}

}  // namespace cli
