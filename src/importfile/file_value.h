#pragma once
// A value read from the import file, kept with the element it came from, so that an error
// met while converting it tells the user which element and which text were at fault
// ("IE40_ADATA '31/02/2020': Type mismatch") instead of the bare conversion error.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ado/error.h"

namespace importfile {

struct FileValue {
    std::string element;
    std::optional<std::string> text;  // nullopt: the element is not in the file
};

// "ELEMENT 'TEXT'" ("ELEMENT (missing)"); a text longer than kShownCharacters characters
// is cut there and ends in "...", and a line break shows as a blank, so the description
// stays one line.
std::string describe(const FileValue& value);
inline constexpr std::size_t kShownCharacters = 40;

// `error` told with the value it came from; its number and source are kept, so the trap
// and whoever reads the error number see the same failure.
ado::Error value_error(const FileValue& value, const ado::Error& error);

// The value of `element` among `values`; nullptr when it is not there.
const FileValue* find_value(const std::vector<FileValue>& values, std::string_view element);

// Runs `conversion`, which reads the value of `element` (or a control it should have filled);
// when it raises an ado::Error and `values` holds that element, the error is raised again
// told with the value.
template <class F>
auto converting(const std::vector<FileValue>& values, std::string_view element, F&& conversion)
    -> decltype(conversion()) {
    try {
        return conversion();
    } catch (const ado::Error& error) {
        if (const FileValue* value = find_value(values, element)) throw value_error(*value, error);
        throw;
    }
}

}  // namespace importfile
