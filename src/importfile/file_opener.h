#pragma once
// Choosing and validating the import file: the path box's text is checked, the file is
// looked up in the import history (question 113), loaded, its version checked, its header
// shown, and the exporting company found in the VAT group's structure of the year; only
// then may the import command be used. Also the folder suggestion of the last import.
#include <cstdint>
#include <string>
#include <vector>

#include "importfile/file_value.h"
#include "importfile/window_procedure.h"

namespace module {
class ErrorTrap;
}

namespace importfile {

class FileOpener : public WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;
    // The only version of the file format this module reads.
    static constexpr const char* kFormatVersion = "1.0";

    // Path validation: clears the information frames, then opens the file when the path
    // box holds a usable path (else the import command is disabled).
    void ApreFileDaImportare(bool& cancel) noexcept;
    // Opens and checks the file; a refused file sets `cancel` and leaves the window empty
    // with the import command disabled.
    void ApreFileXML(bool& cancel) noexcept;
    // True when a file of the same name (in any folder) was imported before for the
    // current company.
    bool IsFileGiaImportato(const std::string& path_text) noexcept;
    // Clears the window and proposes, in the path box, the folder of the company's last
    // import of this kind.
    void ImpostaSuggerimentoUltimoFolder() noexcept;

  private:
    // The steps that refuse a file.
    void reject(bool& cancel) noexcept;
    // Fills the window from the file's header and company record; each field on its own,
    // a missing or unreadable one left as the window was cleared. Returns the header dates
    // it could not show, with the file's text, for the errors of later conversions.
    std::vector<FileValue> show_header() noexcept;
    // Fills the member company and the master-table checks from the group structure.
    void show_group_structure(module::ErrorTrap& trap);
};

}  // namespace importfile
