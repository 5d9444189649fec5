#include "log/log_states.h"

#include <utility>

namespace importlog {

std::string error_state_filter() {
    std::string filter;
    for (auto state : kErrorStates) {
        if (!filter.empty()) filter += " OR ";
        filter += "STATO = " + std::to_string(state);
    }
    return filter;
}

std::string state_caption(const std::string& stato) {
    if (stato == "0") return "Inserito";
    if (stato == "10") return "Esistente";
    if (stato == "30" || stato == "31" || stato == "32" || stato == "33") return "Transcodifica";
    if (stato == "50" || stato == "99") return "Errore";
    return "Non previsto";
}

std::string table_caption(const std::string& tabella) {
    static constexpr std::pair<const char*, const char*> kCaptions[] = {
        {"CG68_NUMERDESC", "Sezionali"}, {"CG24_TABPDC", "PdC"},
        {"CG33_TABCAU", "Causale"},      {"CG28_TABCODIVA", "Codice Iva"},
        {"CG44_CLIFOR", "Cli/For"},      {"CG16_ANAGGEN", "Anagrafica"},
        {"CG41_PRIMANOTA", "Movimento"}, {"CG42_MOVCONT", "Riga movimento"},
        {"CG43_MOVIVA", "Riga IVA"},
    };
    for (const auto& [code, caption] : kCaptions)
        if (tabella == code) return caption;
    return tabella;
}

}  // namespace importlog
