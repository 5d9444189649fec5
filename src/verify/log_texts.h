#pragma once
// The messages the section checks write into a log row's ERRORE.
namespace verify {

inline constexpr const char* kTextMissing = "Elemento assente.";
inline constexpr const char* kTextNoTranscoding = "Transcodifica assente.";
inline constexpr const char* kTextTranscodedMissing = "Elemento transcodifica assente.";
inline constexpr const char* kTextFixedMissing = "Elemento fisso assente.";
inline constexpr const char* kTextNoProposal = "Elemento proposta conti PdC assente.";
inline constexpr const char* kTextKindNotProvided = "Tipologia transcodifica NON prevista.";

}  // namespace verify
