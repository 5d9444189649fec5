#pragma once
// The controls of the import window FRMCG_LEDGERINTAKE, named as the window names them,
// with the captions of its layout. The import window holds them; the procedures of the
// import (src/importfile and later subsystems) read and write them through the window.
#include <string>

#include "modulebase/controls.h"

namespace module {

struct ImportWindowControls {
    // Frame and placement inside the host.
    Frame FME_LEDGERINTAKE;
    MdiContainer MdiFrameHost1;
    ResizeManager QRV_RESIZEFORM;

    // The import file and the commands.
    Frame FRAME_FILE{.caption = "File sorgente"};
    PathBox TXT_NOMEFILE{.caption = "File sorgente"};
    Button CMD_IMPORTA{.caption = "&Importa"};
    Button CMD_STORICO{.caption = "&Storico"};
    ProgressBar PROGRESS_BAR{.caption = "Elaborazione in corso ..."};
    // The window's mouse pointer (kPointerDefault, kPointerHourglass).
    int MousePointer = kPointerDefault;

    // The exporting company, read from the file.
    Frame FRAME_INFOCOLL{.caption = "Informazioni file sorgente"};
    TextBox TXT_DATAEXP;
    Label LBL_DATAEXP{.caption = "Data esportazione"};
    TextBox TXT_UTEXP;
    Label LBL_UTEXP{.caption = "Utente"};
    TextBox TXT_AZIEXP;
    Label LBL_AZIEXP{.caption = "Azienda"};
    TextBox TXT_CODANAEXP;
    Label LBL_CODANAEXP{.caption = "Codice anagrafica generale"};
    TextBox TXT_RAGSOCEXP;
    Label LBL_RAGSOCEXP{.caption = "Ragione sociale"};
    TextBox TXT_INDEXP;
    Label LBL_INDEXP{.caption = "Indirizzo"};
    TextBox TXT_CAPEXP;
    TextBox TXT_CITTAEXP;
    TextBox TXT_PROVEXP;
    TextBox TXT_CFISCEXP;
    Label LBL_CFISCEXP{.caption = "Codice fiscale"};
    TextBox TXT_PIVAEXP;
    Label LBL_PIVAEXP{.caption = "Partita IVA"};

    // The period of the file.
    Frame FRAME_LIMITI{.caption = "Limiti di estrazione"};
    TextBox TXT_DADATA;
    Label LBL_DADATA{.caption = "Da data registrazione"};
    TextBox TXT_ADATA;
    Label LBL_ADATA{.caption = "A data registrazione"};
    CheckBox CHK_ESTRATTI{.caption = "Movimenti estratti"};

    // Master tables handled by the import.
    Frame FRAME_TABELLE{.caption = "Tabelle da transcodificare"};
    CheckBox CHK_TABSEZ{.caption = "Sezionali"};
    CheckBox CHK_TABCAU{.caption = "Causali contabili"};
    CheckBox CHK_TABCODIVA{.caption = "Codici IVA"};
    CheckBox CHK_TABPDC{.caption = "Piano dei conti"};
    CheckBox CHK_CLIFOR{.caption = "Clienti e fornitori"};
    CheckBox CHK_GESTCODID{.caption = "Gestione codici identificativi", .visible = false};

    // The member company as the VAT group's structure knows it.
    Frame FRAME_CODAZVPOOL{.caption = "Azienda in struttura gruppo IVA"};
    TextBox TXT_CODANAIMP;
    Label LBL_CODANAIMP{.caption = "Codice anagrafica generale"};

    RichTextLabel LBL_HELP{.caption = "Aiuto"};
};

}  // namespace module
