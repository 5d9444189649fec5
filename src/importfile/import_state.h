#pragma once
// What the import window knows about the import under way, shared by the procedures of
// the import: the open file, the member company in the VAT group's structure, the
// activity parameters and the year.
#include <cstdint>
#include <memory>
#include <string>

#include "ado/recordset.h"
#include "importfile/import_document.h"

namespace host {
class NumberingRequest;
class ProgressiveNumberService;
}  // namespace host

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
    // The import header (IE42_ID) the last journal import wrote; 0 before one is written.
    std::int32_t import_header_id = 0;
    // The current company's VAT activities for the year (GeneraRecordsetParametriAttivita).
    ado::RecordsetPtr activity_parameters;
    // The current company manages account statements or portfolio: imports stay disabled.
    bool statements_portfolio = false;

    // The account-proposal table (CreaRecordSetPropostaConti), built at the first activation
    // and unchanged for the window's life.
    ado::RecordsetPtr account_proposal;
    // The customers' and suppliers' mastro codes of the file header, 10 characters each
    // (set by the verification driver).
    std::string customers_mastro;
    std::string suppliers_mastro;
    // The member's customer and supplier codes with the group company's codes (TIPOCF,
    // CLIFOR, CF_SORGENTE), built by the customer/supplier check for the journal import.
    ado::RecordsetPtr customer_supplier_map;
    // Host components created on first use and kept for the window's life: the numbering
    // request that hands out customer and supplier codes, and the progressive-number service
    // that hands out registry codes.
    std::shared_ptr<host::NumberingRequest> code_numbering;
    std::shared_ptr<host::ProgressiveNumberService> progressive_numbers;
    // The numbering request that hands out registration numbers (kept for the window's
    // life) and the one of the last numbering update (replaced on every update).
    std::shared_ptr<host::NumberingRequest> registration_numbering;
    std::shared_ptr<host::NumberingRequest> numbering_update;

    // Closes the record sets and drops the document (window unload).
    void release() noexcept;
};

}  // namespace importfile
