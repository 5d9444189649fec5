#include "modulebase/string_table.h"

#include <array>
#include <memory>
#include <utility>

#include "host/log_object.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"

namespace module {

namespace {

constexpr std::array<std::pair<std::int32_t, std::string_view>, 15> kTable = {{
    {100, "File non valido."},
    {101, "File non trovato."},
    {102, "Errore in lettura file xml.%1%2"},
    {103, "File NON pertinente o versione NON corretta."},
    {104, "Numero livelli piano dei conti non compatibile con il file da importare!"},
    {105,
     "Attenzione! L'azienda gestisce estratto conto e/o portafoglio.%1"
     "Non è possibile importare le registrazioni di Co.Ge."},
    {106, "L'azienda indicata nel file sorgente NON è presente nella struttura del gruppo IVA dell'anno!"},
    {107, "Importazione ESEGUITA con successo."},
    {108, "Sono stati riscontrati errori.%1Importazione NON eseguita o eseguita in modo parziale!"},
    {109, "Impossibile proseguire con l'importazione!%1Riscontrata l'assenza di transcodifiche. "},
    {110,
     "ERRORE nella ricostruzione dei progressivi contabili e dei progressivi IVA.%1"
     "Eseguire le ricostruzioni dal programma presente nelle utility di contabilità."},
    {111, "File già importato."},
    {112, "Impossibile proseguire con l'importazione!%1ERRORE nei parametri delle attività esercitate."},
    {113, "File già importato. Forza?"},
    {999, "%1"},
}};

void replace_all(std::string& text, std::string_view what, std::string_view with) {
    std::size_t pos = 0;
    while ((pos = text.find(what, pos)) != std::string::npos) {
        text.replace(pos, what.size(), with);
        pos += with.size();
    }
}

}  // namespace

std::optional<std::string_view> StringTableEntry(std::int32_t id) noexcept {
    for (const auto& [entry_id, text] : kTable)
        if (entry_id == id) return text;
    return std::nullopt;
}

std::string FormatMessageText(std::string_view text, const std::optional<std::string>& p1,
                              const std::optional<std::string>& p2) {
    std::string out(text);
    if (p1) replace_all(out, "%1", *p1);
    if (p2) replace_all(out, "%2", *p2);
    return out;
}

std::int16_t ShowMessage(ModuleContext& context, const std::string& caption,
                         const Message& message) noexcept {
    std::shared_ptr<host::LogObject> log;
    suppress([&] { log = host_classes(context.module_object()).CreateLogObject(); });
    if (!log) return 0;
    std::string text;
    suppress([&] {
        text = FormatMessageText(StringTableEntry(message.code).value_or(""), message.p1, message.p2);
    });
    std::string detail;
    suppress([&] {
        if (message.detail_code) detail = std::string(StringTableEntry(*message.detail_code).value_or(""));
    });
    suppress([&] { log->SetDefaultButton(message.default_button.value_or(0)); });
    std::int16_t answer = 0;
    suppress([&] { answer = log->ShowMessage(message.code, message.kind, text, detail, caption); });
    return answer;
}

}  // namespace module
