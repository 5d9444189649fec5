#pragma once
// What the import window knows about the import under way, shared by the procedures of
// the import: the open file, the member company in the VAT group's structure, the
// activity parameters and the year.
#include <cstdint>
#include <memory>

#include "ado/recordset.h"
#include "importfile/import_document.h"

namespace importfile {

struct ImportState {
    // The open import file (replaced by each file chosen, released when one is refused).
    std::unique_ptr<ImportDocument> document;
    // True once the open file passed every check and its data fills the window.
    bool file_accepted = false;
    // The year of the file's last movement date (TXT_ADATA).
    std::int16_t import_year = 0;
    // The member company's row of the group structure for the year, with its transcoding
    // values (GeneraRecordSetStrutturaAnno), and its registry code (CGG5_CODICEAN_CG16).
    ado::RecordsetPtr group_structure;
    std::int32_t member_registry_code = 0;
    // The current company's VAT activities for the year (GeneraRecordsetParametriAttivita).
    ado::RecordsetPtr activity_parameters;
    // The current company manages account statements or portfolio: imports stay disabled.
    bool statements_portfolio = false;

    // Closes the record sets and drops the document (window unload).
    void release() noexcept;
};

}  // namespace importfile
