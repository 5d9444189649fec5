#pragma once
// Path texts as the import history stores them: IE42_NOMEFILE holds the path box's text,
// which may carry fields separated by "|" before the path. Folders are split on "/" and
// "\" alike, so that histories written on either platform read the same.
#include <string>
#include <string_view>

namespace importfile {

// The text without leading and trailing blanks.
std::string_view trim_blanks(std::string_view text) noexcept;

// The part after the last "/" or "\" (the whole text when there is none).
std::string_view after_last_separator(std::string_view path) noexcept;

// The file name IsFileGiaImportato compares: the trimmed part after the last "|", then
// the trimmed part of that after its last separator.
std::string stored_file_name(std::string_view stored);

// The folder suggestion of a stored name: everything up to its last "|" (included), then
// the trimmed last part up to its last separator (included); the file name is dropped.
std::string folder_suggestion(std::string_view stored);

}  // namespace importfile
