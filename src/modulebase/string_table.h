#pragma once
// The module's string table (message ids 100 to 113 and 999) and ShowMessage, the one way
// the module shows a message to the user: a new host log object for each message, the
// text taken from the table with "%1" and "%2" replaced.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace module {

class ModuleContext;

// Message ids of the string table.
enum MessageId : std::int32_t {
    kMsgFileNotValid = 100,
    kMsgFileNotFound = 101,
    kMsgXmlReadError = 102,
    kMsgFileNotPertinent = 103,
    kMsgChartLevels = 104,
    kMsgStatementsPortfolio = 105,
    kMsgCompanyNotInGroup = 106,
    kMsgImportDone = 107,
    kMsgImportErrors = 108,
    kMsgTranscodingMissing = 109,
    kMsgRebuildError = 110,
    kMsgFileImported = 111,
    kMsgActivityParameters = 112,
    kMsgForceReimport = 113,
    kMsgFreeText = 999,
};

// Message kinds: plain (2 and 3) and a yes/no question (4).
enum MessageKind : std::int32_t { kKindPlainSevere = 2, kKindPlain = 3, kKindQuestion = 4 };
// The second button is the default one (the safe answer of a question).
inline constexpr std::int32_t kSecondButtonDefault = 256;
// The line break the messages use where their text says "%1".
inline constexpr std::string_view kLineBreak = "\n";

// The entry `id` of the table; nullopt for an id the table does not hold.
std::optional<std::string_view> StringTableEntry(std::int32_t id) noexcept;

// Replaces every "%1" by `p1` when given, then every "%2" by `p2` when given.
std::string FormatMessageText(std::string_view text, const std::optional<std::string>& p1,
                              const std::optional<std::string>& p2);

// One message to show: kind, string-table id and the optional arguments.
struct Message {
    std::int32_t kind = kKindPlain;
    std::int32_t code = 0;
    std::optional<std::int32_t> detail_code{};
    std::optional<std::string> p1{};
    std::optional<std::string> p2{};
    std::optional<std::int32_t> default_button{};
};

// ShowMessage (errors suppressed): a new host log object for this one message, the text
// from the table, the detail from the table when given, the default button (0 when not
// given), shown with `caption` as title; the log object's answer is returned (0 when the
// user declines a question, and when the message could not be shown at all).
std::int16_t ShowMessage(ModuleContext& context, const std::string& caption, const Message& message) noexcept;

}  // namespace module
